// The shell folder tree against the in-memory namespace (exact algorithm
// behaviour, failures, allocation balance, answers that come late or never)
// and against the POSIX namespace on real temporary folders.

#include "ShellTreeView.h"

#include "BrowseTestSupport.h"
#include "MemoryShell.h"
#include "SystemShell_posix.h"
#include "ShellIconSet.h"
#include "ShellIcons.h"
#include "ShellRoutines.h"
#include "ShellWorker.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace quillane;
using namespace quillane::shell;
using namespace std::chrono_literals;

namespace {

// A Windows-like namespace: the computer with two drives, a virtual folder
// that holds no file-system items, the home folder, and folders that fail
// in each way the shell can fail.
const char* const WindowsNamespace = R"(
My Computer | ancestor
  C: | | C:\ | Local Disk (C:)
    Existing | | C:\Existing | C:\Existing
      Sub | | C:\Existing\Sub
        Deeper | folder | C:\Existing\Sub\Deeper
      note.txt | | C:\Existing\note.txt
    b | folder | C:\b
    C | folder | C:\C
    Zeta | folder | C:\Zeta
    alpha.txt | | C:\alpha.txt
    FilesOnly | sub | C:\FilesOnly
      a.txt | | C:\FilesOnly\a.txt
    FilesOnlyNoSub | nosub | C:\FilesOnlyNoSub
      a.txt | | C:\FilesOnlyNoSub\a.txt
    Broken | nobind | C:\Broken
      x | folder | C:\Broken\x
    NoEnum | noenum | C:\NoEnum
      x | folder | C:\NoEnum\x
    Hidden | folder hidden | C:\Hidden
    Mute | folder noattr | C:\Mute
    Nameless | folder noname | C:\Nameless
    Iconless | noicon | C:\Iconless
      inner | folder | C:\Iconless\inner
    Pathless | folder nopath | C:\Pathless
    zz caption | folder | C:\aaa
    表示 | | C:\表示 | C:\表示
      ソフト | folder | C:\表示\ソフト
  D: | | D:\ | Data (D:)
    Other | folder | D:\Other
Control Panel
  Printers | folder
Home | folder ancestor | C:\Users\me | C:\Users\me
)";

// The same shapes with POSIX paths.
const char* const PosixNamespace = R"(
Computer | ancestor
  Root | | / | /
    data | | /data
      deep | | /data/deep
        deeper | folder | /data/deep/deeper
)";

constexpr int CsidlPersonal = 5;
constexpr int CsidlDrives = 17;

QStringList Captions(const QAbstractItemModel* model, const QModelIndex& parent) {
    QStringList captions;
    for (int row = 0; row < model->rowCount(parent); ++row)
        captions << model->index(row, 0, parent).data(Qt::DisplayRole).toString();
    return captions;
}

QStringList List(std::initializer_list<const char*> items) {
    QStringList list;
    for (const char* item : items) list << QString::fromUtf8(item);
    return list;
}

// The tree with a change counter; a subclass can watch or break IncludeItem.
class TestTree : public TShellTreeView {
public:
    using TShellTreeView::TShellTreeView;

    QString throwOn;  // IncludeItem throws for this in-folder name
    bool sawBusyCursor = false;
    bool sawNormalCursor = false;

protected:
    bool IncludeItem(ShellFolder& folder, PCItemIDList item) override {
        const QCursor* cursor = QApplication::overrideCursor();
        (cursor && cursor->shape() == Qt::WaitCursor ? sawBusyCursor : sawNormalCursor) = true;
        if (!throwOn.isEmpty() && QString::fromStdString(GetDisplayName(folder, item, DisplayNameInFolder)) == throwOn)
            throw std::runtime_error("include failed");
        return TShellTreeView::IncludeItem(folder, item);
    }
};

class ShellTreeViewTest : public ::testing::Test {
protected:
    void SetUp() override { Start(WindowsNamespace); }

    void TearDown() override {
        FTree.reset();
        if (!FShell) return;
        ReleaseAndWait();
        EXPECT_EQ(FShell->Allocator().Outstanding(), 0u) << "an ID list outlived the tree";
        EXPECT_EQ(FShell->Allocator().BadFrees(), 0u) << "a block was freed twice";
        EXPECT_EQ(FShell->LiveEnumerators(), 0u);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the busy cursor stayed";
        FUnit.reset();
    }

    void Start(const char* description) {
        FTree.reset();
        if (FShell) ReleaseAndWait();
        FUnit.reset();
        FShell = std::make_shared<MemoryShell>(description);
        FShell->SetSpecialFolder(CsidlDrives, description == WindowsNamespace ? "My Computer" : "Computer");
        FShell->SetSpecialFolder(CsidlPersonal, "Home");
        FUnit = std::make_unique<ShellUnitScope>(FShell);
    }

    TestTree& Tree(TPathSyntax syntax = TPathSyntax::Windows) {
        if (!FTree) {
            FTree = std::make_unique<TestTree>();
            // However busy the machine, the in-memory namespace answers in
            // time unless a test holds a call.
            FTree->ShellModel()->SetWaitLimit(10s);
            FTree->SetPathSyntax(syntax);
            FTree->OnChange = [this](TShellTreeView* sender) {
                EXPECT_EQ(sender, FTree.get());
                ++FChanges;
            };
        }
        return *FTree;
    }

    // A tree on the computer, or on `root`, rebuilt once.
    TestTree& TreeOn(const QString& root, TSpecialFolder special = sfMyComputer, bool showFiles = false) {
        TestTree& tree = Tree();
        tree.StoreRoot(root);
        tree.StoreSpecialRoot(special);
        tree.StoreShowFiles(showFiles);
        tree.Reload();
        return tree;
    }

    const QAbstractItemModel* Model() { return Tree().model(); }

    // The node reached from the top through these captions; invalid when
    // one is not listed.
    QModelIndex Node(std::initializer_list<const char*> captions) {
        QModelIndex index = Tree().TopIndex();
        for (const char* caption : captions) {
            QModelIndex next;
            for (int row = 0; row < Model()->rowCount(index); ++row) {
                const QModelIndex child = Model()->index(row, 0, index);
                if (child.data().toString() == QString::fromUtf8(caption)) next = child;
            }
            if (!next.isValid()) return QModelIndex();
            index = next;
        }
        return index;
    }

    bool HasButton(const QModelIndex& index) { return index.data(TShellTreeModel::HasChildrenFlagRole).toBool(); }

    // Every node owns exactly one list (a top node that did not parse has
    // none) and nothing else is held.
    void ExpectListsMatchNodes(bool topParsed = true) {
        EXPECT_EQ(FShell->Allocator().Outstanding(), Tree().NodeCount() - (topParsed ? 0 : 1));
        EXPECT_EQ(FShell->Allocator().BadFrees(), 0u);
        EXPECT_EQ(FShell->LiveEnumerators(), 0u);
        EXPECT_EQ(FShell->LiveFolders(), 1u) << "only the desktop folder should stay bound";
    }

    std::size_t Lookups() { return FShell->Calls().parse + FShell->Calls().specialFolder; }

    // Lets held calls answer and waits until the work they held has ended.
    void ReleaseAndWait() {
        FShell->ReleaseHeld();
        const ShellContext context = CurrentShellContext();
        if (context) {
            EXPECT_TRUE(context.worker->WaitIdle(ShellWorker::Clock::now() + 10s));
        }
    }

    // Runs `act` with a wait that a held call outlasts and other calls do
    // not, however busy the machine.
    void Briefly(const std::function<void()>& act) {
        Tree().ShellModel()->SetWaitLimit(250ms);
        act();
        Tree().ShellModel()->SetWaitLimit(10s);
    }

    void ShowTree() {
        Tree().resize(400, 700);
        Tree().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Tree()));
    }

    std::shared_ptr<MemoryShell> FShell;
    std::unique_ptr<ShellUnitScope> FUnit;
    std::unique_ptr<TestTree> FTree;
    int FChanges = 0;
};

TEST_F(ShellTreeViewTest, ConstructionAsksNothingOfTheShell) {
    TestTree& tree = Tree();
    EXPECT_EQ(tree.NodeCount(), 0u);
    EXPECT_FALSE(tree.TopIndex().isValid());
    EXPECT_FALSE(tree.ShowRoot());
    EXPECT_TRUE(tree.Root().isEmpty());
    EXPECT_EQ(tree.SpecialRoot(), sfDesktop);
    EXPECT_FALSE(tree.ShowFiles());
    EXPECT_TRUE(tree.GetSelectedPath().isEmpty());
    EXPECT_TRUE(tree.GetSelectedText().isEmpty());
    EXPECT_EQ(Lookups(), 0u);
    EXPECT_EQ(FShell->Calls().enumerate, 0u);
    EXPECT_EQ(FShell->Allocator().Allocations(), 0u);
}

TEST_F(ShellTreeViewTest, RootVariants) {
    struct Case {
        const char* root;
        TSpecialFolder special;
        const char* caption;
        const char* path;
        QStringList children;
        bool translated = false;  // the model's texts go through a marking translator
    };
    const Case cases[] = {
        // The desktop lists the computer and the home folder; the control
        // panel holds no file-system items and is left out. The computer
        // has no path and so sorts ahead.
        {"", sfDesktop, "Desktop", "", List({"My Computer", "Home"})},
        {"", sfMyComputer, "My Computer", "", List({"C:", "D:"})},
        {"", sfPersonal, "me", "C:\\Users\\me", {}},
        // A root path wins over the special folder; the caption is the
        // normal name behind its last backslash.
        {"C:\\Existing", sfMyComputer, "Existing", "C:\\Existing", List({"Sub"})},
        {"C:\\表示", sfDesktop, "表示", "C:\\表示", List({"ソフト"})},
        {"C:\\", sfDesktop, "Local Disk (C:)", "C:\\", {}},
        // Nothing to show: the node names what was asked for.
        {"C:\\Nope", sfMyComputer, "C:\\Nope", "", {}},
        {"", sfNetwork, "(見つかりません)", "", {}},
        {"", sfNetwork, "<(見つかりません)>", "", {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.root) + " / " + std::to_string(c.special));
        std::optional<test::TMarkingTranslator> translator;
        if (c.translated) translator.emplace("quillane::TShellTreeModel");
        TestTree& tree = TreeOn(QString::fromUtf8(c.root), c.special);
        const QModelIndex top = tree.TopIndex();
        ASSERT_TRUE(top.isValid());
        EXPECT_EQ(Model()->rowCount(QModelIndex()), 1);
        EXPECT_EQ(top.data().toString(), QString::fromUtf8(c.caption));
        EXPECT_EQ(top.data(TShellTreeModel::FileSysPathRole).toString(), QString::fromUtf8(c.path));
        if (c.children.isEmpty() && std::string(c.root) != "C:\\") {
            EXPECT_FALSE(HasButton(top));
            EXPECT_EQ(Model()->rowCount(top), 0);
        } else if (!c.children.isEmpty()) {
            EXPECT_EQ(Captions(Model(), top), c.children);
            EXPECT_TRUE(tree.isExpanded(top));
            EXPECT_TRUE(HasButton(top));
        }
        ExpectListsMatchNodes(std::string(c.caption) != c.root && c.special != sfNetwork);
        FTree.reset();
    }
}

TEST_F(ShellTreeViewTest, RootThatDoesNotParseListsNothingAndFindsNothing) {
    TestTree& tree = TreeOn(QStringLiteral("C:\\Nope"));
    EXPECT_EQ(tree.NodeCount(), 1u);
    EXPECT_EQ(tree.TopIndex().data(TShellTreeModel::ImageIndexRole).toInt(), IconFolder);
    EXPECT_EQ(tree.TopIndex().data(TShellTreeModel::SelectedImageIndexRole).toInt(), IconFolder);
    for (const char* path : {"C:\\Existing", "", "C:\\Nope", "C:\\"}) {
        tree.SelectByPath(QString::fromUtf8(path));
        EXPECT_FALSE(tree.SelectedIndex().isValid()) << path;
    }
    tree.expand(tree.TopIndex());
    EXPECT_EQ(tree.NodeCount(), 1u);
    EXPECT_EQ(FChanges, 0);
    EXPECT_EQ(FShell->Calls().enumerate, 0u);
}

TEST_F(ShellTreeViewTest, SettersRebuildOnlyOnChange) {
    TestTree& tree = TreeOn(QStringLiteral("C:\\Existing"), sfDesktop);
    struct Step {
        const char* what;
        std::function<void()> act;
        bool rebuilds;
        bool parsed = true;
    };
    const Step steps[] = {
        {"same root", [&] { tree.SetRoot(QStringLiteral("C:\\Existing")); }, false},
        // The namespace knows paths in their exact case only.
        {"root in other case", [&] { tree.SetRoot(QStringLiteral("c:\\existing")); }, true, false},
        {"back to the first root", [&] { tree.SetRoot(QStringLiteral("C:\\Existing")); }, true},
        {"same special folder", [&] { tree.SetSpecialRoot(sfDesktop); }, false},
        {"other special folder", [&] { tree.SetSpecialRoot(sfMyComputer); }, true},
        {"same ShowFiles", [&] { tree.SetShowFiles(false); }, false},
        {"other ShowFiles", [&] { tree.SetShowFiles(true); }, true},
        {"stored root", [&] { tree.StoreRoot(QStringLiteral("D:\\")); }, false},
        {"stored special folder", [&] { tree.StoreSpecialRoot(sfPersonal); }, false},
        {"stored ShowFiles", [&] { tree.StoreShowFiles(false); }, false},
        {"ShowRoot", [&] { tree.SetShowRoot(true); }, false},
        {"Reload", [&] { tree.Reload(); }, true},
    };
    for (const Step& step : steps) {
        const std::size_t before = Lookups();
        step.act();
        EXPECT_EQ(Lookups() - before, step.rebuilds ? 1u : 0u) << step.what;
        ExpectListsMatchNodes(step.parsed);
    }
    EXPECT_EQ(tree.TopIndex().data().toString(), QStringLiteral("Data (D:)"))
        << "the last Reload used the stored values";
    EXPECT_TRUE(tree.ShowRoot());
}

TEST_F(ShellTreeViewTest, LoadingRebuildsOnceWhenComplete) {
    TestTree& tree = Tree();
    tree.BeginLoad();
    tree.BeginLoad();
    tree.SetRoot(QStringLiteral("C:\\Existing"));
    tree.SetShowFiles(true);
    tree.SetSpecialRoot(sfMyComputer);
    tree.Reload();
    tree.EndLoad();
    EXPECT_TRUE(tree.IsLoading());
    EXPECT_EQ(Lookups(), 0u);
    EXPECT_EQ(tree.NodeCount(), 0u);
    tree.EndLoad();
    EXPECT_FALSE(tree.IsLoading());
    EXPECT_EQ(Lookups(), 1u);
    EXPECT_EQ(tree.TopIndex().data().toString(), QStringLiteral("Existing"));
    EXPECT_EQ(Captions(Model(), tree.TopIndex()), List({"Sub", "note.txt"}));
    tree.EndLoad();  // unmatched: nothing happens
    EXPECT_EQ(Lookups(), 1u);
}

TEST_F(ShellTreeViewTest, SiblingOrder) {
    struct Case {
        bool showFiles;
        QStringList order;
    };
    // Folders first, then by path lower-cased: "zz caption" is C:\aaa, the
    // item without a path comes first, the hidden item and the one whose
    // attributes cannot be read are missing.
    const QStringList folders = List({"Pathless", "zz caption", "b", "Broken", "C", "Existing", "FilesOnly",
                                      "FilesOnlyNoSub", "Iconless", "", "NoEnum", "Zeta", "表示"});
    const Case cases[] = {
        {false, folders},
        {true, folders + List({"alpha.txt"})},
    };
    for (const Case& c : cases) {
        TestTree& tree = TreeOn(QStringLiteral("C:\\"), sfDesktop, c.showFiles);
        EXPECT_EQ(Captions(Model(), tree.TopIndex()), c.order) << "ShowFiles " << c.showFiles;
        FTree.reset();
    }
}

TEST_F(ShellTreeViewTest, ExpandButtons) {
    struct Case {
        bool showFiles;
        const char* folder;
        bool before;
        bool after;
        int children;
    };
    const Case cases[] = {
        {false, "Existing", true, true, 1},
        // Files only: the button follows the has-subfolder attribute and
        // goes away once the folder turns out to hold nothing listable.
        {false, "FilesOnly", true, false, 0},
        {false, "FilesOnlyNoSub", false, false, 0},
        {false, "Zeta", false, false, 0},
        // With files every folder has a button until it is opened.
        {true, "Zeta", true, false, 0},
        {true, "FilesOnlyNoSub", true, true, 1},
        {true, "Existing", true, true, 2},
        {true, "alpha.txt", false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.folder) + (c.showFiles ? " with files" : ""));
        TestTree& tree = TreeOn(QStringLiteral("C:\\"), sfDesktop, c.showFiles);
        const QModelIndex index = Node({c.folder});
        ASSERT_TRUE(index.isValid());
        EXPECT_EQ(HasButton(index), c.before);
        EXPECT_EQ(Model()->hasChildren(index), c.before);
        tree.expand(index);
        EXPECT_EQ(HasButton(index), c.after);
        EXPECT_EQ(Model()->rowCount(index), c.children);
        EXPECT_EQ(tree.isExpanded(index), c.children > 0);
        ExpectListsMatchNodes();
        FTree.reset();
    }
}

TEST_F(ShellTreeViewTest, WithFilesTheContainingFolderIsListedOncePerExpansion) {
    const std::size_t enumerations = FShell->Calls().enumerate;
    TestTree& tree = TreeOn(QStringLiteral("C:\\"), sfDesktop, true);
    ASSERT_GT(Model()->rowCount(tree.TopIndex()), 10);
    // The root's own button (a look into the desktop), the listing, and
    // one look into the folder for all its children's buttons.
    EXPECT_EQ(FShell->Calls().enumerate - enumerations, 3u);
    EXPECT_TRUE(HasButton(Node({"Existing"})));
    EXPECT_TRUE(HasButton(Node({"Zeta"})));
    EXPECT_FALSE(HasButton(Node({"alpha.txt"})));
}

TEST_F(ShellTreeViewTest, ItemsTheShellCannotDescribe) {
    TestTree& tree = TreeOn(QStringLiteral("C:\\"), sfDesktop);
    const QModelIndex nameless = Node({""});
    ASSERT_TRUE(nameless.isValid());
    EXPECT_EQ(nameless.data(TShellTreeModel::FileSysPathRole).toString(), QStringLiteral("C:\\Nameless"));
    EXPECT_FALSE(Node({"Mute"}).isValid());
    EXPECT_FALSE(Node({"Hidden"}).isValid());
    const QModelIndex pathless = Node({"Pathless"});
    ASSERT_TRUE(pathless.isValid());
    EXPECT_TRUE(pathless.data(TShellTreeModel::FileSysPathRole).toString().isEmpty());
    tree.setCurrentIndex(pathless);
    EXPECT_EQ(tree.GetSelectedText(), QStringLiteral("Pathless"));
    EXPECT_TRUE(tree.GetSelectedPath().isEmpty());
}

TEST_F(ShellTreeViewTest, SelectByPath) {
    struct Case {
        const char* root;
        TSpecialFolder special;
        bool showFiles;
        TPathSyntax syntax;
        const char* path;
        const char* selectedPath;  // null: nothing selected
        const char* selectedText;
        bool expanded;
    };
    const auto W = TPathSyntax::Windows;
    const auto P = TPathSyntax::Posix;
    const Case cases[] = {
        {"", sfMyComputer, false, W, "C:\\Existing\\Sub", "C:\\Existing\\Sub", "Sub", true},
        {"", sfMyComputer, false, W, "C:\\Existing\\Missing\\Deeper", "C:\\Existing", "Existing", true},
        {"", sfMyComputer, false, W, "C:\\Existing\\note.txt", "C:\\Existing", "Existing", true},
        {"", sfMyComputer, true, W, "C:\\Existing\\note.txt", "C:\\Existing\\note.txt", "note.txt", false},
        {"", sfMyComputer, false, W, "C:\\表示\\ソフト", "C:\\表示\\ソフト", "ソフト", false},
        {"", sfMyComputer, false, W, "D:\\", "D:\\", "D:", true},
        {"", sfMyComputer, false, W, "", nullptr, nullptr, false},  // the desktop is outside the computer
        {"", sfMyComputer, false, W, "Q:\\no\\such\\place", nullptr, nullptr, false},
        {"C:\\Existing", sfDesktop, false, W, "D:\\Other", nullptr, nullptr, false},
        {"C:\\Existing", sfDesktop, false, W, "C:\\Existing", "C:\\Existing", "Existing", true},
        {"C:\\Existing", sfDesktop, false, W, "C:\\Existing\\Sub\\Deeper", "C:\\Existing\\Sub\\Deeper", "Deeper",
         false},
        {"", sfDesktop, false, W, "", "", "Desktop", true},
        {"", sfDesktop, false, W, "C:\\Users\\me", "C:\\Users\\me", "Home", false},
        // A relative name runs out of parents; it never means the desktop.
        {"", sfDesktop, false, W, "Nowhere", nullptr, nullptr, false},
        {"", sfDesktop, false, P, "nowhere/at/all", nullptr, nullptr, false},
        {"", sfPersonal, false, W, "C:\\Existing", nullptr, nullptr, false},
        // A node whose folder cannot be opened is as deep as the search gets.
        {"", sfMyComputer, false, W, "C:\\Broken\\x", "C:\\Broken", "Broken", false},
        // The parent walk follows the tree's path syntax.
        {"", sfMyComputer, false, P, "/data/deep/missing/more", "/data/deep", "deep", true},
        {"", sfMyComputer, false, W, "/data/deep/missing/more", nullptr, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.root) + " -> " + c.path);
        Start(c.syntax == P || std::string(c.path).rfind("/", 0) == 0 ? PosixNamespace : WindowsNamespace);
        FChanges = 0;
        TestTree& tree = Tree(c.syntax);
        tree.StoreRoot(QString::fromUtf8(c.root));
        tree.StoreSpecialRoot(c.special);
        tree.StoreShowFiles(c.showFiles);
        tree.Reload();
        tree.SelectByPath(QString::fromUtf8(c.path));
        const QModelIndex selected = tree.SelectedIndex();
        if (c.selectedPath == nullptr) {
            EXPECT_FALSE(selected.isValid());
            EXPECT_EQ(FChanges, 0);
            EXPECT_TRUE(tree.GetSelectedPath().isEmpty());
        } else {
            ASSERT_TRUE(selected.isValid());
            EXPECT_EQ(FChanges, 1);
            EXPECT_EQ(tree.GetSelectedPath(), QString::fromUtf8(c.selectedPath));
            EXPECT_EQ(tree.GetSelectedText(), QString::fromUtf8(c.selectedText));
            EXPECT_EQ(tree.currentIndex(), selected);
            EXPECT_EQ(tree.isExpanded(selected), c.expanded);
            for (QModelIndex p = selected.parent(); p.isValid(); p = p.parent()) EXPECT_TRUE(tree.isExpanded(p));
            // Selecting the same node again is no change.
            tree.SelectByPath(QString::fromUtf8(c.path));
            EXPECT_EQ(FChanges, 1);
        }
        ExpectListsMatchNodes();
    }
}

TEST_F(ShellTreeViewTest, PathsOfTheComputerAndItsDrives) {
    TestTree& tree = TreeOn(QString(), sfMyComputer);
    tree.setCurrentIndex(tree.TopIndex());
    EXPECT_EQ(tree.GetSelectedText(), QStringLiteral("My Computer"));
    EXPECT_TRUE(tree.GetSelectedPath().isEmpty());
    tree.setCurrentIndex(Node({"C:"}));
    EXPECT_EQ(tree.GetSelectedPath(), QStringLiteral("C:\\"));
    EXPECT_EQ(FChanges, 2);
}

TEST_F(ShellTreeViewTest, ReloadDropsTheSelection) {
    TestTree& tree = TreeOn(QString(), sfMyComputer);
    tree.SelectByPath(QStringLiteral("C:\\Existing"));
    ASSERT_EQ(FChanges, 1);
    tree.Reload();
    EXPECT_EQ(FChanges, 2);
    EXPECT_FALSE(tree.SelectedIndex().isValid());
    EXPECT_TRUE(tree.GetSelectedPath().isEmpty());
    EXPECT_TRUE(tree.GetSelectedText().isEmpty());
    tree.Reload();  // nothing selected: no change to report
    EXPECT_EQ(FChanges, 2);
}

TEST_F(ShellTreeViewTest, EveryListIsFreedAfterReloadsAndDestruction) {
    TestTree& tree = TreeOn(QString(), sfDesktop, true);
    tree.SelectByPath(QStringLiteral("C:\\Existing\\Sub\\Deeper"));
    tree.expand(Node({"My Computer", "D:"}));
    const std::size_t grown = tree.NodeCount();
    EXPECT_GT(grown, 10u);
    ExpectListsMatchNodes();
    tree.Reload();
    ExpectListsMatchNodes();
    tree.Reload();
    ExpectListsMatchNodes();
    EXPECT_LT(tree.NodeCount(), grown);
    tree.SelectByPath(QStringLiteral("D:\\Other"));
    FTree.reset();
    EXPECT_EQ(FShell->Allocator().Outstanding(), 0u);
    EXPECT_EQ(FShell->Allocator().BadFrees(), 0u);
    EXPECT_EQ(FShell->Allocator().Allocations(), FShell->Allocator().Frees());
}

TEST_F(ShellTreeViewTest, OutOfMemoryDoesNotCrashOrLeak) {
    TestTree& tree = TreeOn(QString(), sfMyComputer);
    for (long budget : {0L, 1L, 2L, 3L, 5L, 8L}) {
        SCOPED_TRACE(budget);
        tree.Reload();
        FShell->Allocator().FailAfter(budget);
        tree.SelectByPath(QStringLiteral("C:\\Existing\\Sub"));
        FShell->Allocator().FailAfter(-1);
        ExpectListsMatchNodes();
    }
}

TEST_F(ShellTreeViewTest, FailuresToOpenAFolderLeaveTheButtonForARetry) {
    struct Case {
        const char* folder;
        std::size_t MemoryCallCounts::*counter;
    };
    const Case cases[] = {
        {"Broken", &MemoryCallCounts::bind},
        {"NoEnum", &MemoryCallCounts::enumerate},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        TestTree& tree = TreeOn(QStringLiteral("C:\\"), sfDesktop);
        const QModelIndex index = Node({c.folder});
        ASSERT_TRUE(HasButton(index));
        for (int attempt = 1; attempt <= 2; ++attempt) {
            const std::size_t before = FShell->Calls().*(c.counter);
            tree.expand(index);
            EXPECT_EQ(FShell->Calls().*(c.counter) - before, 1u) << "attempt " << attempt;
            EXPECT_TRUE(HasButton(index));
            EXPECT_EQ(Model()->rowCount(index), 0);
            EXPECT_FALSE(tree.isExpanded(index)) << "folded up so that the next click tries again";
        }
        ExpectListsMatchNodes();
        FTree.reset();
    }

    // A failure that goes away: the retry lists the children.
    TestTree& tree = TreeOn(QStringLiteral("C:\\"), sfDesktop);
    const QModelIndex existing = Node({"Existing"});
    FShell->Failures().bind = true;
    tree.expand(existing);
    EXPECT_EQ(Model()->rowCount(existing), 0);
    EXPECT_TRUE(HasButton(existing));
    FShell->Failures().bind = false;
    tree.expand(existing);
    EXPECT_EQ(Captions(Model(), existing), List({"Sub"}));
    EXPECT_TRUE(tree.isExpanded(existing));
}

TEST_F(ShellTreeViewTest, ListingUnderTheBusyCursorRestoredOnEveryPath) {
    TestTree& tree = Tree();
    tree.StoreRoot(QStringLiteral("C:\\"));
    tree.Reload();
    EXPECT_TRUE(tree.sawBusyCursor);
    EXPECT_FALSE(tree.sawNormalCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // An exception from the filter passes through, after the cursor has
    // been put back and what was made has been freed.
    tree.throwOn = QStringLiteral("Sub");
    EXPECT_THROW(tree.SelectByPath(QStringLiteral("C:\\Existing\\Sub")), std::runtime_error);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ExpectListsMatchNodes();
    const QModelIndex existing = Node({"Existing"});
    EXPECT_EQ(Model()->rowCount(existing), 0);
    EXPECT_TRUE(HasButton(existing));

    EXPECT_THROW(tree.expand(existing), std::runtime_error);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(tree.isExpanded(existing));
    ExpectListsMatchNodes();

    tree.throwOn.clear();
    tree.SelectByPath(QStringLiteral("C:\\Existing\\Sub"));
    EXPECT_EQ(tree.GetSelectedPath(), QStringLiteral("C:\\Existing\\Sub"));
    EXPECT_EQ(FChanges, 1);
}

TEST_F(ShellTreeViewTest, IconsAreSharedAndTheOpenOneShowsWhileSelected) {
    TestTree& tree = TreeOn(QString(), sfMyComputer);
    tree.SelectByPath(QStringLiteral("C:\\"));
    const QModelIndex top = tree.TopIndex();
    const QModelIndex drive = Node({"C:"});
    const QModelIndex existing = Node({"C:", "Existing"});
    const QModelIndex zeta = Node({"C:", "Zeta"});
    const QModelIndex iconless = Node({"C:", "Iconless"});
    EXPECT_EQ(top.data(TShellTreeModel::ImageIndexRole).toInt(), IconComputer);
    EXPECT_EQ(existing.data(TShellTreeModel::ImageIndexRole).toInt(), IconFolder);
    EXPECT_EQ(existing.data(TShellTreeModel::SelectedImageIndexRole).toInt(), IconFolderOpen);
    EXPECT_EQ(iconless.data(TShellTreeModel::ImageIndexRole).toInt(), -1);
    EXPECT_TRUE(qvariant_cast<QIcon>(iconless.data(Qt::DecorationRole)).isNull());

    const auto key = [](const QModelIndex& index) {
        return qvariant_cast<QIcon>(index.data(Qt::DecorationRole)).cacheKey();
    };
    const qint64 folder = ShellIconImage(SharedIconListHandle, IconFolder).cacheKey();
    const qint64 open = ShellIconImage(SharedIconListHandle, IconFolderOpen).cacheKey();
    EXPECT_NE(folder, open);
    EXPECT_FALSE(ShellIconImage(SharedIconListHandle, IconFolder).isNull());
    EXPECT_EQ(key(drive), open) << "the selected node shows its open icon";
    EXPECT_EQ(key(existing), folder);
    EXPECT_EQ(key(zeta), folder) << "nodes share one image";
    tree.setCurrentIndex(existing);
    EXPECT_EQ(key(drive), folder);
    EXPECT_EQ(key(existing), open);
    EXPECT_TRUE(ShellIconImage(SharedIconListHandle, ShellIconCount).isNull());

    // A root whose icon cannot be found does not take the icons of the
    // nodes below it away.
    TestTree& other = TreeOn(QStringLiteral("C:\\Iconless"));
    EXPECT_TRUE(qvariant_cast<QIcon>(other.TopIndex().data(Qt::DecorationRole)).isNull());
    EXPECT_EQ(key(Node({"inner"})), folder);
    EXPECT_TRUE(ShellIconImage(0, IconFolder).isNull());
}

TEST_F(ShellTreeViewTest, TopNodeNeverCollapses) {
    enum class Route { Program, KeyLeft, KeyMinus, DoubleClick, ButtonClick };
    for (Route route : {Route::Program, Route::KeyLeft, Route::KeyMinus, Route::DoubleClick, Route::ButtonClick}) {
        SCOPED_TRACE(static_cast<int>(route));
        TestTree& tree = TreeOn(QString(), sfMyComputer);
        tree.SetShowRoot(true);
        ShowTree();
        const QModelIndex top = tree.TopIndex();
        ASSERT_TRUE(tree.isExpanded(top));
        tree.setCurrentIndex(top);
        const QRect rect = tree.visualRect(top);
        switch (route) {
        case Route::Program:
            tree.collapse(top);
            break;
        case Route::KeyLeft:
            QTest::keyClick(&tree, Qt::Key_Left);
            break;
        case Route::KeyMinus:
            QTest::keyClick(&tree, Qt::Key_Minus);
            break;
        case Route::DoubleClick:
            QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, rect.center());
            break;
        case Route::ButtonClick:
            QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                              QPoint(rect.left() - tree.indentation() / 2, rect.center().y()));
            break;
        }
        EXPECT_TRUE(tree.isExpanded(top));
        EXPECT_EQ(Model()->rowCount(top), 2);
        // Any other node folds as usual.
        const QModelIndex drive = Node({"C:"});
        tree.expand(drive);
        tree.collapse(drive);
        EXPECT_FALSE(tree.isExpanded(drive));
        FTree.reset();
    }
}

TEST_F(ShellTreeViewTest, FoldingAwayTheSelectionSelectsTheFoldedNode) {
    TestTree& tree = TreeOn(QString(), sfMyComputer);
    tree.SelectByPath(QStringLiteral("C:\\Existing\\Sub"));
    ASSERT_EQ(FChanges, 1);
    tree.collapse(Node({"C:"}));
    EXPECT_EQ(FChanges, 2);
    EXPECT_EQ(tree.GetSelectedPath(), QStringLiteral("C:\\"));
    // Folding a node beside the selection changes nothing.
    tree.expand(Node({"D:"}));
    tree.collapse(Node({"D:"}));
    EXPECT_EQ(FChanges, 2);
}

TEST_F(ShellTreeViewTest, OnChangeForEveryRoute) {
    TestTree& tree = TreeOn(QString(), sfMyComputer);
    ShowTree();
    // Taking the focus selects nothing by itself.
    QApplication::setActiveWindow(&tree);
    tree.setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_TRUE(tree.hasFocus());
    EXPECT_EQ(FChanges, 0);
    EXPECT_FALSE(tree.SelectedIndex().isValid());
    struct Step {
        const char* route;
        std::function<void()> act;
        const char* selectedText;
        int changes;
    };
    const Step steps[] = {
        {"SelectByPath", [&] { tree.SelectByPath(QStringLiteral("C:\\")); }, "C:", 1},
        {"type-ahead", [&] { QTest::keyClicks(&tree, QStringLiteral("exi")); }, "Existing", 1},
        {"keyboard", [&] { QTest::keyClick(&tree, Qt::Key_Down); }, "FilesOnly", 1},
        {"click",
         [&] { QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualRect(Node({"D:"})).center()); },
         "D:", 1},
        {"click on the selected node",
         [&] { QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualRect(Node({"D:"})).center()); },
         "D:", 0},
        {"control-click on the selected node",
         [&] {
             QTest::mouseClick(tree.viewport(), Qt::LeftButton, Qt::ControlModifier,
                               tree.visualRect(Node({"D:"})).center());
         },
         "D:", 0},
        {"keyboard up", [&] { QTest::keyClick(&tree, Qt::Key_Up); }, "表示", 1},
    };
    for (const Step& step : steps) {
        QTest::qWait(QApplication::keyboardInputInterval() + 50);  // type-ahead starts afresh
        const int before = FChanges;
        step.act();
        EXPECT_EQ(FChanges - before, step.changes) << step.route;
        EXPECT_EQ(tree.GetSelectedText(), QString::fromUtf8(step.selectedText)) << step.route;
    }
}

TEST_F(ShellTreeViewTest, AsteriskOpensOneLevelOnly) {
    TestTree& tree = TreeOn(QString(), sfMyComputer);
    tree.setCurrentIndex(Node({"C:"}));
    const std::size_t before = tree.NodeCount();
    QTest::keyClick(&tree, Qt::Key_Asterisk);
    EXPECT_TRUE(tree.isExpanded(Node({"C:"})));
    EXPECT_FALSE(tree.isExpanded(Node({"C:", "Existing"})));
    EXPECT_EQ(Model()->rowCount(Node({"C:", "Existing"})), 0);
    EXPECT_GT(tree.NodeCount(), before);
}

TEST_F(ShellTreeViewTest, ListingsThatComeLateShowTheLoadingRowAndFillIn) {
    struct Case {
        const char* folder;
        QStringList after;  // captions once the answer has come
        bool buttonAfter;
    };
    const Case cases[] = {
        {"Existing", List({"Sub"}), true},
        // Nothing listable: the button goes; a folder that cannot be opened
        // keeps it for another try. Either way the node folds up.
        {"FilesOnly", {}, false},
        {"NoEnum", {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        TestTree& tree = TreeOn(QStringLiteral("C:\\"), sfDesktop);
        const QModelIndex index = Node({c.folder});
        ASSERT_TRUE(FShell->Hold(MemoryCall::Enumerate, std::string("My Computer/C:/") + c.folder));
        Briefly([&] { tree.expand(index); });
        ASSERT_EQ(Model()->rowCount(index), 1);
        const QModelIndex loading = Model()->index(0, 0, index);
        EXPECT_EQ(loading.data().toString(), QStringLiteral("読み込み中..."));
        EXPECT_FALSE(loading.flags() & Qt::ItemIsSelectable);
        EXPECT_TRUE(HasButton(index));
        EXPECT_TRUE(tree.isExpanded(index));
        EXPECT_EQ(FShell->HeldCalls(), 1u);

        // The user goes on meanwhile; the answer does not move the selection.
        tree.setCurrentIndex(Node({"b"}));
        const int changes = FChanges;
        FShell->ReleaseHeld();
        ASSERT_TRUE(QTest::qWaitFor([&] { return Captions(Model(), index) != List({"読み込み中..."}); }));
        EXPECT_EQ(Captions(Model(), index), c.after);
        EXPECT_EQ(HasButton(index), c.buttonAfter);
        EXPECT_EQ(tree.isExpanded(index), !c.after.isEmpty());
        EXPECT_EQ(tree.GetSelectedText(), QStringLiteral("b"));
        EXPECT_EQ(FChanges, changes);
        ReleaseAndWait();
        ExpectListsMatchNodes();
        FTree.reset();
    }
}

TEST_F(ShellTreeViewTest, SelectByPathGoesOnWhenTheRestArrives) {
    struct Case {
        const char* what;
        MemoryCall held;
        const char* heldAddress;
        const char* meanwhile;  // selected when SelectByPath returns
        bool userMoves;
        const char* after;
    };
    const Case cases[] = {
        {"listing on the way", MemoryCall::Enumerate, "My Computer/C:/Existing", "C:\\Existing", false,
         "C:\\Existing\\Sub"},
        {"the user moves meanwhile", MemoryCall::Enumerate, "My Computer/C:/Existing", "C:\\Existing", true, "D:\\"},
        // Before the path is known, the deepest known folder that holds it
        // by name.
        {"parse", MemoryCall::Parse, "My Computer/C:/Existing/Sub", "C:\\", false, "C:\\Existing\\Sub"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FChanges = 0;
        TestTree& tree = TreeOn(QString(), sfMyComputer);
        ASSERT_TRUE(FShell->Hold(c.held, c.heldAddress));
        Briefly([&] { tree.SelectByPath(QStringLiteral("C:\\Existing\\Sub")); });
        EXPECT_TRUE(tree.IsSelectingPath());
        EXPECT_EQ(tree.GetSelectedPath(), QString::fromUtf8(c.meanwhile));
        EXPECT_EQ(FChanges, 1);
        if (c.userMoves) tree.setCurrentIndex(Node({"D:"}));
        FShell->ReleaseHeld();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !tree.IsSelectingPath(); }));
        EXPECT_EQ(tree.GetSelectedPath(), QString::fromUtf8(c.after));
        EXPECT_EQ(FChanges, 2);
        for (QModelIndex p = tree.SelectedIndex().parent(); p.isValid(); p = p.parent())
            EXPECT_TRUE(tree.isExpanded(p));
        ReleaseAndWait();
        ExpectListsMatchNodes();
        FTree.reset();
    }
}

TEST_F(ShellTreeViewTest, RootThatComesLateFillsIn) {
    ASSERT_TRUE(FShell->Hold(MemoryCall::Parse, "My Computer/C:/Existing"));
    Tree().StoreRoot(QStringLiteral("C:\\Existing"));
    Briefly([&] { Tree().Reload(); });
    const QModelIndex top = Tree().TopIndex();
    EXPECT_EQ(top.data().toString(), QStringLiteral("Existing"));
    EXPECT_EQ(Captions(Model(), top), List({"読み込み中..."}));
    // A search meanwhile waits for the root.
    Briefly([&] { Tree().SelectByPath(QStringLiteral("C:\\Existing\\Sub")); });
    FShell->ReleaseHeld();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Tree().IsSelectingPath(); }));
    EXPECT_EQ(top.data(TShellTreeModel::FileSysPathRole).toString(), QStringLiteral("C:\\Existing"));
    EXPECT_EQ(Captions(Model(), top), List({"Sub"}));
    EXPECT_EQ(Tree().GetSelectedPath(), QStringLiteral("C:\\Existing\\Sub"));
    EXPECT_TRUE(Tree().isExpanded(top));
}

TEST_F(ShellTreeViewTest, CallsThatNeverAnswerCostNoWaitAndNoLeak) {
    TestTree& tree = TreeOn(QStringLiteral("C:\\"), sfDesktop);
    ASSERT_TRUE(FShell->Hold(MemoryCall::Enumerate, "My Computer/C:/Existing"));
    Briefly([&] { tree.expand(Node({"Existing"})); });
    // Rebuilding, destroying the tree and ending the unit go on at once; a
    // wait for the held call would never end.
    tree.Reload();
    Briefly([&] { tree.expand(Node({"Existing"})); });
    ASSERT_EQ(FShell->HeldCalls(), 2u);
    FTree.reset();
    const std::shared_ptr<ShellWorker> worker = CurrentShellContext().worker;
    FUnit.reset();
    EXPECT_GT(FShell->LiveFolders(), 0u) << "the held listings still hold their folders";
    // Answers nobody wants are dropped when they come, and free what they
    // hold through the allocator they hold.
    FShell->ReleaseHeld();
    ASSERT_TRUE(worker->WaitIdle(ShellWorker::Clock::now() + 10s));
    EXPECT_EQ(FShell->LiveFolders(), 0u);
    EXPECT_EQ(FShell->Allocator().Outstanding(), 0u);
    EXPECT_EQ(FShell->Allocator().BadFrees(), 0u);
}

// ---------------------------------------------------------------------------
// The POSIX namespace on real folders.

class PosixShellTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FDir.isValid());
        FRoot = FDir.path();
        for (const char* folder : {"a/b/c/d/e", ".hidden/inner", "Bridge", "さくら", "あおい", "漢字/中", "かえで"})
            ASSERT_TRUE(QDir(FRoot).mkpath(QString::fromUtf8(folder)));
        for (const char* file : {"file.txt", "a/b/note.txt", ".hidden.txt"}) {
            QFile f(FRoot + u'/' + QString::fromUtf8(file));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        QFile mounts(FRoot + QStringLiteral("/.mounts"));
        ASSERT_TRUE(mounts.open(QIODevice::WriteOnly));
        mounts.close();
        PosixShellOptions options;
        options.home = FRoot.toStdString();
        options.desktop = FRoot.toStdString();
        options.mountsFile = mounts.fileName().toStdString();
        FUnit = std::make_unique<ShellUnitScope>(CreatePosixShellPlatform(options));
        FTree = std::make_unique<TShellTreeView>();
        FTree->ShellModel()->SetWaitLimit(10s);
        FTree->SetPathSyntax(TPathSyntax::Posix);
        FTree->OnChange = [this](TShellTreeView*) { ++FChanges; };
    }
    void TearDown() override {
        FTree.reset();
        FUnit.reset();
    }

    QString Path(const char* relative) { return FRoot + u'/' + QString::fromUtf8(relative); }

    QModelIndex Child(const QModelIndex& parent, const QString& caption) {
        const QAbstractItemModel* model = FTree->model();
        for (int row = 0; row < model->rowCount(parent); ++row)
            if (model->index(row, 0, parent).data().toString() == caption) return model->index(row, 0, parent);
        return QModelIndex();
    }

    QTemporaryDir FDir;
    QString FRoot;
    std::unique_ptr<ShellUnitScope> FUnit;
    std::unique_ptr<TShellTreeView> FTree;
    int FChanges = 0;
};

TEST_F(PosixShellTreeTest, ListsFoldersSortedWithoutHiddenOnes) {
    struct Case {
        bool showFiles;
        QStringList children;
    };
    const Case cases[] = {
        {false, List({"a", "Bridge", "あおい", "かえで", "さくら", "漢字"})},
        {true, List({"a", "Bridge", "あおい", "かえで", "さくら", "漢字", "file.txt"})},
    };
    for (const Case& c : cases) {
        FTree->StoreRoot(FRoot);
        FTree->StoreShowFiles(c.showFiles);
        FTree->Reload();
        const QModelIndex top = FTree->TopIndex();
        EXPECT_EQ(top.data().toString(), QFileInfo(FRoot).fileName());
        EXPECT_EQ(top.data(TShellTreeModel::FileSysPathRole).toString(), FRoot);
        EXPECT_EQ(Captions(FTree->model(), top), c.children) << "ShowFiles " << c.showFiles;
        const QModelIndex kanji = Child(top, QStringLiteral("漢字"));
        EXPECT_EQ(kanji.data(TShellTreeModel::FileSysPathRole).toString(), Path("漢字"));
        EXPECT_EQ(kanji.data(TShellTreeModel::HasChildrenFlagRole).toBool(), true);
    }
}

TEST_F(PosixShellTreeTest, ExpandsOnDemand) {
    FTree->SetRoot(FRoot);
    const QModelIndex a = Child(FTree->TopIndex(), QStringLiteral("a"));
    ASSERT_TRUE(a.isValid());
    EXPECT_TRUE(a.data(TShellTreeModel::HasChildrenFlagRole).toBool());
    EXPECT_EQ(FTree->model()->rowCount(a), 0) << "listed only when opened";
    EXPECT_FALSE(
        Child(FTree->TopIndex(), QStringLiteral("Bridge")).data(TShellTreeModel::HasChildrenFlagRole).toBool());
    FTree->expand(a);
    EXPECT_EQ(Captions(FTree->model(), a), List({"b"}));
    EXPECT_EQ(FChanges, 0);
}

TEST_F(PosixShellTreeTest, SelectsPaths) {
    FTree->SetRoot(FRoot);
    struct Case {
        QString path;
        QString selected;
        int changes;
    };
    const Case cases[] = {
        {Path("a/b/c/d/e"), Path("a/b/c/d/e"), 1},
        {Path("a/b/missing/deeper"), Path("a/b"), 1},
        {Path("a/b/note.txt"), Path("a/b"), 0},  // the folder that holds it, already selected
        {Path("漢字/中"), Path("漢字/中"), 1},
        {Path(".hidden/inner"), FRoot, 1},  // the hidden folder is not listed
        {FRoot, FRoot, 0},
        {QStringLiteral("/"), FRoot, 0},  // outside the root
        {QStringLiteral("/no/such/folder/anywhere"), FRoot, 0},
    };
    for (const Case& c : cases) {
        const int before = FChanges;
        FTree->SelectByPath(c.path);
        EXPECT_EQ(FTree->GetSelectedPath(), c.selected) << c.path.toStdString();
        EXPECT_EQ(FChanges - before, c.changes) << c.path.toStdString();
        for (QModelIndex p = FTree->SelectedIndex().parent(); p.isValid(); p = p.parent())
            EXPECT_TRUE(FTree->isExpanded(p));
    }
}

TEST_F(PosixShellTreeTest, DesktopHoldsTheComputerAndHome) {
    FTree->Reload();
    const QModelIndex top = FTree->TopIndex();
    EXPECT_EQ(top.data().toString(), QStringLiteral("デスクトップ"));
    EXPECT_EQ(Captions(FTree->model(), top),
              QStringList({QStringLiteral("コンピュータ"), QFileInfo(FRoot).fileName()}));
    FTree->SelectByPath(Path("a/b"));
    EXPECT_EQ(FTree->GetSelectedPath(), Path("a/b"));
    // Reached through the computer and the root file system.
    const QModelIndex computer = Child(top, QStringLiteral("コンピュータ"));
    EXPECT_TRUE(FTree->isExpanded(computer));
    EXPECT_TRUE(FTree->isExpanded(Child(computer, QStringLiteral("/"))));
}

}  // namespace
