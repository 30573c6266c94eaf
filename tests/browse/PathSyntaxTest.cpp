// Parent directories, root captions and trailing separators in both path
// syntaxes.

#include "PathSyntax.h"

#include <gtest/gtest.h>

using namespace quillane;

namespace {

struct PathCase {
    TPathSyntax syntax;
    const char16_t* path;
    const char16_t* expected;
};

TEST(PathSyntaxTest, ParentDirectory) {
    const PathCase cases[] = {
        {TPathSyntax::Windows, u"C:\\A\\B", u"C:\\A"},
        {TPathSyntax::Windows, u"C:\\A", u"C:\\"},
        {TPathSyntax::Windows, u"C:\\", u"C:\\"},  // a root is its own parent
        {TPathSyntax::Windows, u"C:", u"C:"},
        {TPathSyntax::Windows, u"C:A", u"C:"},
        {TPathSyntax::Windows, u"\\\\srv\\share", u"\\\\srv"},
        {TPathSyntax::Windows, u"\\\\srv", u"\\\\"},
        {TPathSyntax::Windows, u"\\\\", u"\\\\"},
        {TPathSyntax::Windows, u"\\A", u"\\"},
        {TPathSyntax::Windows, u"A", u""},
        {TPathSyntax::Windows, u"", u""},
        {TPathSyntax::Windows, u"C:\\A\\", u"C:\\A"},
        // Characters whose code-page 932 trail byte is 0x5C are characters,
        // never separators.
        {TPathSyntax::Windows, u"C:\\表\\ソ能", u"C:\\表"},
        {TPathSyntax::Windows, u"C:\\表", u"C:\\"},
        // "/" is no separator in Windows syntax here, ":" none in POSIX.
        {TPathSyntax::Windows, u"/a/b", u""},
        {TPathSyntax::Posix, u"/a/b", u"/a"},
        {TPathSyntax::Posix, u"/a", u"/"},
        {TPathSyntax::Posix, u"/", u"/"},
        {TPathSyntax::Posix, u"/a/b/", u"/a/b"},
        {TPathSyntax::Posix, u"a/b", u"a"},
        {TPathSyntax::Posix, u"a", u""},
        {TPathSyntax::Posix, u"//", u"//"},
        {TPathSyntax::Posix, u"/x:y", u"/"},
        {TPathSyntax::Posix, u"C:\\A\\B", u""},
        {TPathSyntax::Posix, u"/家/表", u"/家"},
    };
    for (const PathCase& c : cases) {
        const QString path = QString::fromUtf16(c.path);
        EXPECT_EQ(ParentDirectory(path, c.syntax), QString::fromUtf16(c.expected))
            << path.toStdString() << (c.syntax == TPathSyntax::Windows ? " (Windows)" : " (POSIX)");
    }
}

TEST(PathSyntaxTest, WalkingParentsEndsAtARoot) {
    // A caller walks up until the parent stops changing or is empty; every
    // walk must end.
    const PathCase cases[] = {
        {TPathSyntax::Windows, u"C:\\a\\b\\c\\d", u"C:\\"},
        {TPathSyntax::Windows, u"\\\\srv\\share\\dir", u"\\\\"},
        {TPathSyntax::Windows, u"rel\\dir", u""},
        {TPathSyntax::Posix, u"/a/b/c/d", u"/"},
        {TPathSyntax::Posix, u"rel/dir", u""},
    };
    for (const PathCase& c : cases) {
        QString p = QString::fromUtf16(c.path);
        int steps = 0;
        for (;;) {
            const QString parent = ParentDirectory(p, c.syntax);
            ASSERT_LT(++steps, 100) << "the walk does not end";
            if (parent.isEmpty() || parent == p) {
                p = parent;
                break;
            }
            p = parent;
        }
        EXPECT_EQ(p, QString::fromUtf16(c.expected));
    }
}

TEST(PathSyntaxTest, LastNameComponent) {
    const PathCase cases[] = {
        {TPathSyntax::Windows, u"C:\\Users\\me", u"me"},
        {TPathSyntax::Windows, u"ローカル ディスク (C:)", u"ローカル ディスク (C:)"},
        {TPathSyntax::Windows, u"C:\\表示\\ソフト", u"ソフト"},
        {TPathSyntax::Windows, u"\\\\srv\\share\\", u"share"},
        {TPathSyntax::Windows, u"\\", u"\\"},
        {TPathSyntax::Windows, u"a/b", u"a/b"},
        {TPathSyntax::Posix, u"/home/me", u"me"},
        {TPathSyntax::Posix, u"/media/usb/", u"usb"},
        {TPathSyntax::Posix, u"/", u"/"},
        {TPathSyntax::Posix, u"デスクトップ", u"デスクトップ"},
        {TPathSyntax::Posix, u"a\\b", u"a\\b"},
        {TPathSyntax::Posix, u"", u""},
    };
    for (const PathCase& c : cases) {
        const QString name = QString::fromUtf16(c.path);
        EXPECT_EQ(LastNameComponent(name, c.syntax), QString::fromUtf16(c.expected)) << name.toStdString();
    }
}

struct NormalizeCase {
    TPathSyntax syntax;
    QString in;
    QString out;
};

TEST(NormalizeBrowsePathTest, RemovesAtMostOneTrailingSeparator) {
    const auto W = TPathSyntax::Windows;
    const auto P = TPathSyntax::Posix;
    const std::vector<NormalizeCase> cases = {
        {W, "C:\\", "C:\\"},  // a drive root stays
        {W, "z:\\", "z:\\"},
        {W, "C:\\Windows\\", "C:\\Windows"},
        {W, "C:\\Windows", "C:\\Windows"},
        {W, "C:\\Windows\\\\", "C:\\Windows\\"},  // two: one stays
        {W, "\\\\", "\\"},
        {W, "\\", ""},
        {W, "", ""},
        {W, "1:\\", "1:"},  // not a drive letter
        {W, "CD:\\", "CD:"},
        {W, "ぁ:\\", "ぁ:"},  // not a single-byte letter
        // Characters whose code-page 932 trail byte is 0x5C are no separator.
        {W, QStringLiteral("C:\\表"), QStringLiteral("C:\\表")},
        {W, QStringLiteral("C:\\ソ"), QStringLiteral("C:\\ソ")},
        {W, QStringLiteral("C:\\能\\"), QStringLiteral("C:\\能")},
        {W, "/usr/", "/usr/"},  // the other syntax's separator is a character
        {P, "/", "/"},
        {P, "/usr/", "/usr"},
        {P, "/usr//", "/usr/"},
        {P, "//", "/"},
        {P, "/usr", "/usr"},
        {P, "C:\\", "C:\\"},
        {P, "", ""},
        {P, QStringLiteral("/表/"), QStringLiteral("/表")},
    };
    for (const NormalizeCase& c : cases) {
        EXPECT_EQ(NormalizeBrowsePath(c.in, c.syntax), c.out)
            << c.in.toStdString() << (c.syntax == W ? " (Windows)" : " (POSIX)");
    }
}

}  // namespace
