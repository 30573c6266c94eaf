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
