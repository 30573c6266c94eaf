#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillane {

/// Index returned when no line matches.
constexpr std::ptrdiff_t LineNotFound = -1;

/// The line break every written line gets.
constexpr std::string_view CrLf = "\r\n";

/// Cuts `text` into lines at CR, LF and CR LF (LF CR is two breaks). A final
/// line without a break is a line; a final break adds no empty line. The
/// views point into `text`.
std::vector<std::string_view> SplitLines(std::string_view text);

/// Every line followed by CR LF.
std::string JoinLines(const std::vector<std::string_view>& lines);

/// Whole-text equality ignoring the case of ASCII letters; other bytes must
/// be equal. Exact for ASCII markers in code page 932, whose lead bytes are
/// never ASCII.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

/// Index of the first line equal to `marker` ignoring case, or LineNotFound.
std::ptrdiff_t FindMarkerLine(const std::vector<std::string_view>& lines, std::string_view marker);

/// The first line of each of `markers` (ignoring case) in one pass over
/// `lines`: `found[k]` is the index for `markers[k]`, or LineNotFound.
void FindMarkerLines(const std::vector<std::string_view>& lines, const std::string_view* markers, std::size_t count,
                     std::ptrdiff_t* found);

/// Lines made of consecutive runs of other line lists, read in place: a
/// file being assembled can be looked at before it is copied together.
class LineSpans {
public:
    /// Appends `count` lines starting at `first`; they must outlive this.
    void Append(const std::string_view* first, std::size_t count)
    {
        if (count == 0) return;
        FRuns.push_back({first, count, FCount});
        FCount += count;
    }
    /// Number of lines.
    std::size_t Count() const { return FCount; }
    /// Line `i`, 0 <= i < Count().
    std::string_view operator[](std::size_t i) const
    {
        for (const Run& r : FRuns) {
            if (i < r.offset + r.count) return r.first[i - r.offset];
        }
        return {};
    }
    /// Calls `f(index, line)` for every line in order.
    template <class F>
    void ForEach(F&& f) const
    {
        for (const Run& r : FRuns) {
            for (std::size_t k = 0; k < r.count; ++k) f(r.offset + k, r.first[k]);
        }
    }

private:
    struct Run {
        const std::string_view* first;
        std::size_t count;
        std::size_t offset;
    };
    std::vector<Run> FRuns;
    std::size_t FCount = 0;
};

/// FindMarkerLines over assembled lines.
void FindMarkerLines(const LineSpans& lines, const std::string_view* markers, std::size_t count,
                     std::ptrdiff_t* found);

/// Whether `line` begins with `directive`, case-sensitively.
bool IsDirective(std::string_view line, std::string_view directive);

/// A file's bytes and its lines; the lines view the bytes, which stay put
/// when the list is moved.
class LineList {
public:
    /// Takes the file's bytes and splits them.
    explicit LineList(std::string bytes);
    /// The lines, in file order.
    const std::vector<std::string_view>& Lines() const { return FLines; }
    /// Number of lines.
    std::size_t Count() const { return FLines.size(); }

private:
    std::unique_ptr<const std::string> FBytes;
    std::vector<std::string_view> FLines;
};

}  // namespace quillane
