#include "SectionEngine.h"

#include "CodePage.h"
#include "FileIo.h"
#include "LineModel.h"
#include "SectionFormat.h"
#include "Translation.h"

#include <new>
#include <string>
#include <vector>

namespace quillane {

const char* const NotSetTextUtf8 = "(未設定)";

namespace {

// The system's cause of a failure, after the message's own text.
std::string Cause(FileError error) {
    return error == 0 ? std::string() : ": " + FileErrorText(error);
}

}  // namespace

std::string NotSetText(unsigned codePage) {
    return FromUtf8(NotSetTextUtf8, codePage);
}

SectionSettings DefaultSettings(unsigned codePage) {
    SectionSettings s;
    s.HomeDirectory = NotSetText(codePage);
    s.Commands = NotSetText(codePage);
    return s;
}

void LoadSection(const std::string& pathUtf8, SectionSettings& settings, unsigned codePage,
                 IReadFailureReporter& reporter) {
    LoadSection(pathUtf8, settings, codePage, reporter, SystemFileOps());
}

void LoadSection(const std::string& pathUtf8, SectionSettings& settings, unsigned codePage,
                 IReadFailureReporter& reporter, IFileOps& ops) {
    settings.DefineUtils = false;
    // Read in pieces: the reader needs no more than the section's lines.
    FileError error = 0;
    const std::unique_ptr<IReadableFile> file = ops.OpenRead(pathUtf8, error);
    if (file) error = ReadSectionFromFile(*file, EncodeMarkers(codePage), settings);
    if (error != 0)
        reporter.ReportReadFailure(
            pathUtf8 + "\n" + Translate("quillane::SectionEngine", "ファイルの読込みに失敗しました") + Cause(error));
}

namespace {

[[noreturn]] void Refuse(const std::string& path, const std::string& what) {
    throw ESectionError(Arg(Translate("quillane::SectionEngine", "ファイル %1 に保存できません: %2"), {path, what}));
}

// One-based line numbers for a message; a long list is cut, since the box
// has to stay readable when a file holds thousands of such lines.
std::string LineNumbers(const std::vector<std::size_t>& zeroBased) {
    constexpr std::size_t shown = 10;
    std::string list;
    for (std::size_t i = 0; i < zeroBased.size() && i < shown; ++i) {
        if (i > 0) list += ", ";
        list += std::to_string(zeroBased[i] + 1);
    }
    // One text in Japanese, two in languages that count lines.
    if (zeroBased.size() == 1) return Arg(Translate("quillane::SectionEngine", "%1 行目", "one line"), {list});
    if (zeroBased.size() <= shown) return Arg(Translate("quillane::SectionEngine", "%1 行目", "several lines"), {list});
    return Arg(Translate("quillane::SectionEngine", "%1 行目ほか %2 行"),
               {list, std::to_string(zeroBased.size() - shown)});
}

// Inputs that the reader would take back as something else are refused
// before anything is written.
void CheckInputs(const std::string& path, const SectionSettings& settings, unsigned codePage, const std::string& notSet,
                 const SectionMarkers& m) {
    if (settings.HomeDirectory != notSet) {
        if (settings.HomeDirectory.find_first_of("\r\n") != std::string::npos)
            Refuse(path, Translate("quillane::SectionEngine", "ホームディレクトリに改行が含まれています"));
        // Its string literal is made character by character: bytes that are
        // no text of the code page could take the closing quote with them.
        try {
            ToUtf8(settings.HomeDirectory, codePage);
        } catch (const ECodePageError& e) {
            Refuse(path, Arg(Translate("quillane::SectionEngine", "ホームディレクトリに%1"), {e.what()}));
        }
    }

    if (settings.Commands.find(notSet) != std::string::npos) return;
    const std::vector<std::string_view> lines = SplitLines(settings.Commands);
    std::vector<std::size_t> bad;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view l = lines[i];
        if (EqualsIgnoringCase(l, m.StartMarker) || EqualsIgnoringCase(l, m.EndMarker) ||
            EqualsIgnoringCase(l, m.CommandsBegin) || EqualsIgnoringCase(l, m.CommandsEnd) ||
            IsDirective(l, m.HomeDirective) || IsDirective(l, m.DefineUtilsDirective))
            bad.push_back(i);
    }
    if (!bad.empty())
        Refuse(path,
               Arg(Translate("quillane::SectionEngine",
                             "コマンドの %1は Quillane のマーカーまたは指定行として読み込まれるため、書き込めません"),
                   {LineNumbers(bad)}));
}

// What the reader gives back from a correctly written section.
SectionSettings ExpectedReadBack(const SectionSettings& settings, const std::string& notSet) {
    SectionSettings expected = settings;
    if (settings.Commands.find(notSet) == std::string::npos)
        expected.Commands = JoinLines(SplitLines(settings.Commands));
    return expected;
}

// The break the section's lines take: the one the user's lines use most,
// else the one the whole file uses, else the system's. Counting only the
// user's lines keeps a second save from choosing another.
std::string_view SectionBreak(std::string_view above, std::string_view below, std::string_view whole) {
    const BreakCounts a = CountBreaks(above);
    const BreakCounts b = CountBreaks(below);
    std::string_view br = MostUsedBreak(BreakCounts{a.CrLf + b.CrLf, a.Lf + b.Lf, a.Cr + b.Cr});
    if (br.empty()) br = MostUsedBreak(CountBreaks(whole));
    return br.empty() ? NativeLineBreak() : br;
}

bool SameSettings(const SectionSettings& a, const SectionSettings& b) {
    return a.HomeDirectory == b.HomeDirectory && a.DefineUtils == b.DefineUtils && a.Commands == b.Commands;
}

}  // namespace

void SaveSection(const std::string& pathUtf8, const SectionSettings& settings, unsigned codePage) {
    SaveSection(pathUtf8, settings, codePage, SystemFileOps());
}

namespace {

// The whole file as it is before the save.
FileBytes ReadBeforeSave(const std::string& pathUtf8, IFileOps& ops) {
    FileBytes bytes;
    FileError error = 0;
    // Closed before the file is replaced: Windows replaces no file that is
    // open without delete sharing.
    if (const std::unique_ptr<IReadableFile> file = ops.OpenRead(pathUtf8, error)) error = ReadWhole(*file, bytes);
    if (error != 0)
        throw ESectionError(Arg(Translate("quillane::SectionEngine", "ファイル %1 は開けません"), {pathUtf8}) +
                            Cause(error));
    return bytes;
}

// An end marker without a start marker above it has no section to close;
// replacing "from the start to the end" would drop or repeat the user's
// lines, so the file is left for the user to mend.
void RefuseMisplacedEnd(const std::string& pathUtf8, std::ptrdiff_t sFound, std::ptrdiff_t eFound) {
    if (eFound != LineNotFound && sFound == LineNotFound)
        Refuse(pathUtf8, Arg(Translate("quillane::SectionEngine",
                                       "%1 行目に Quillane セクションの終わりの行がありますが、始まりの行がありません。"
                                       "ファイルを手作業で修正してください"),
                             {std::to_string(eFound + 1)}));
    if (eFound != LineNotFound && eFound < sFound)
        Refuse(pathUtf8,
               Arg(Translate("quillane::SectionEngine",
                             "Quillane セクションの終わりの行 (%1 行目) が始まりの行 (%2 行目) より前にあります。"
                             "ファイルを手作業で修正してください"),
                   {std::to_string(eFound + 1), std::to_string(sFound + 1)}));
}

// The section's bytes between the kept bytes `above` and `below` of `text`.
std::string SectionBytes(std::string_view above, std::string_view below, std::string_view text,
                         const SectionSettings& settings, unsigned codePage) {
    std::string section;
    const std::string_view br = SectionBreak(above, below, text);
    // A last line without a break gets one, so the section begins a line.
    if (!above.empty() && above.back() != '\n' && above.back() != '\r') section.append(br);
    for (const std::string& line : BuildSectionLines(settings, codePage)) {
        section += line;
        section.append(br);
    }
    // A lone CR before the user's LF would make one break of two.
    if (br == "\r" && !below.empty() && below.front() == '\n') section += '\n';
    return section;
}

// Refuses the save for the marker lines of `text` outside its section
// (lines sFound to eFound), which would make it read back otherwise.
[[noreturn]] void RefuseStrayMarkers(const std::string& pathUtf8, std::string_view text, const SectionMarkers& markers,
                                     std::ptrdiff_t sFound, std::ptrdiff_t eFound) {
    const std::vector<std::string_view> lines = SplitLines(text);
    const std::size_t count = lines.size();
    const std::size_t s = sFound == LineNotFound ? count : static_cast<std::size_t>(sFound);
    const std::size_t tail = eFound == LineNotFound ? count : static_cast<std::size_t>(eFound) + 1;
    std::vector<std::size_t> strays;
    for (std::size_t i = 0; i < count; ++i) {
        if (i >= s && i < tail) continue;
        const std::string_view l = lines[i];
        if (EqualsIgnoringCase(l, markers.StartMarker) || EqualsIgnoringCase(l, markers.EndMarker) ||
            EqualsIgnoringCase(l, markers.CommandsBegin) || EqualsIgnoringCase(l, markers.CommandsEnd))
            strays.push_back(i);
    }
    Refuse(pathUtf8, Arg(Translate("quillane::SectionEngine",
                                   "セクションの外にある Quillane のマーカー行 (%1) のため、"
                                   "保存した設定が正しく読み込めなくなります。ファイルを手作業で修正してください"),
                         {LineNumbers(strays)}));
}

void SaveSectionBytes(const std::string& pathUtf8, const SectionSettings& settings, unsigned codePage, IFileOps& ops) {
    const FileBytes bytes = ReadBeforeSave(pathUtf8, ops);
    // A byte order mark is kept and is no part of the first line.
    const std::size_t bom = BomLength(bytes.View());
    const std::string_view text = bytes.View().substr(bom);

    const SectionMarkers markers = EncodeMarkers(codePage);
    const std::string notSet = NotSetText(codePage);
    const bool wanted = SectionWanted(settings, notSet);
    if (wanted) CheckInputs(pathUtf8, settings, codePage, notSet, markers);

    // The scan stops once both section markers are found: the lines around
    // are copied as bytes. The commands markers seen on the way are what
    // the read-back below needs from the lines above the section.
    const std::string_view wantedMarkers[] = {markers.StartMarker, markers.EndMarker, markers.CommandsBegin,
                                              markers.CommandsEnd};
    MarkerHit at[4];
    const std::ptrdiff_t looked = ContinueMarkerHits(&text, 1, 0, 0, wantedMarkers, 4, 2, at);
    const std::ptrdiff_t sFound = at[0].Line;
    const std::ptrdiff_t eFound = at[1].Line;
    RefuseMisplacedEnd(pathUtf8, sFound, eFound);

    // Bytes above the start marker and below the end marker's line; a
    // missing marker puts its bound at the end of the file.
    const std::size_t keepAbove = sFound == LineNotFound ? text.size() : at[0].Begin.Offset;
    const std::size_t keepFrom = eFound == LineNotFound ? text.size() : at[1].Next.Offset;

    // The bytes around the section are written back as they are.
    const std::string_view above = text.substr(0, keepAbove);
    const std::string_view below = text.substr(keepFrom);
    const std::string section = wanted ? SectionBytes(above, below, text, settings, codePage) : std::string();
    const std::string_view pieces[] = {above, section, below};

    // Read the result back in memory before touching the disk: marker lines
    // among the kept lines can make the reader see other settings.
    // The lines above the section were all looked at already (the scan
    // passed them, or read the whole file when there is no start marker):
    // carry on from the section.
    const std::ptrdiff_t linesAbove = sFound == LineNotFound ? looked : sFound;
    MarkerHit result[4];
    for (std::size_t k = 0; k < 4; ++k) {
        if (at[k].Line != LineNotFound && at[k].Line < linesAbove) result[k] = at[k];
    }
    ContinueMarkerHits(pieces, 3, 1, linesAbove, wantedMarkers, 4, 4, result);
    // A value the section holds must come back from it: the read starts from
    // the not-set text, which no written value can be.
    SectionSettings readBack = settings;
    if (settings.HomeDirectory != notSet) readBack.HomeDirectory = notSet;
    if (settings.Commands.find(notSet) == std::string::npos) readBack.Commands = notSet;
    ReadSectionAt(pieces, result, markers, readBack);
    // With no section written, a start marker among the kept lines would
    // make the next save take the lines below it for the section.
    const bool strayStart = !wanted && result[0].Line != LineNotFound;
    if (strayStart || !SameSettings(readBack, ExpectedReadBack(settings, notSet)))
        RefuseStrayMarkers(pathUtf8, text, markers, sFound, eFound);

    const std::string_view parts[] = {bytes.View().substr(0, bom + keepAbove), section, below};
    const ReplaceOutcome outcome = ReplaceFileWithParts(pathUtf8, bytes.View(), parts, 3, ops);
    if (outcome.Error == 0) return;
    std::string message =
        Arg(Translate("quillane::SectionEngine", "ファイル %1 を作成できません"), {pathUtf8}) + Cause(outcome.Error);
    if (!outcome.KeptBackup.empty())
        message +=
            Arg(Translate("quillane::SectionEngine", "。元の内容に戻せなかったため、元の内容を %1 に残してあります"),
                {outcome.KeptBackup});
    throw ESectionError(message);
}

}  // namespace

void SaveSection(const std::string& pathUtf8, const SectionSettings& settings, unsigned codePage, IFileOps& ops) {
    // A code page that cannot hold the section's own texts is a reason not
    // to save, reported like the others; nothing has been written then.
    try {
        SaveSectionBytes(pathUtf8, settings, codePage, ops);
    } catch (const ECodePageError& e) {
        Refuse(pathUtf8, e.what());
    } catch (const std::bad_alloc&) {
        // Nothing allocates once the old file is being rewritten: it is as
        // it was.
        throw ESectionError(Arg(Translate("quillane::SectionEngine", "ファイル %1 を作成できません"), {pathUtf8}) +
                            Cause(OutOfMemoryError()));
    }
}

}  // namespace quillane
