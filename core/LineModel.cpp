#include "LineModel.h"

namespace quillane {

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    // One pass to size the vector: large files would otherwise pay for
    // repeated growth in both time and peak memory.
    std::size_t breaks = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && !(i + 1 < text.size() && text[i + 1] == '\n'))) ++breaks;
    }
    lines.reserve(breaks + 1);

    std::size_t start = 0;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(text.substr(start, i - start));
            // CR LF is one break; LF CR is two, so only CR swallows a partner.
            i += (c == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < n) lines.push_back(text.substr(start));
    return lines;
}

std::string JoinLines(const std::vector<std::string_view>& lines)
{
    std::size_t size = 0;
    for (auto line : lines) size += line.size() + CrLf.size();
    std::string out;
    out.reserve(size);
    for (auto line : lines) {
        out.append(line);
        out.append(CrLf);
    }
    return out;
}

namespace {
char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

std::ptrdiff_t FindMarkerLine(const std::vector<std::string_view>& lines, std::string_view marker)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (EqualsIgnoringCase(lines[i], marker)) return static_cast<std::ptrdiff_t>(i);
    }
    return LineNotFound;
}

bool IsDirective(std::string_view line, std::string_view directive)
{
    return line.substr(0, directive.size()) == directive;
}

LineList::LineList(std::string bytes)
    : FBytes(std::make_unique<const std::string>(std::move(bytes))), FLines(SplitLines(*FBytes))
{
}

}  // namespace quillane
