#include "Translation.h"

#include <memory>
#include <mutex>
#include <utility>

namespace quillane {

namespace {

// The shell's worker threads are detached and may ask for a text while the
// program ends and takes the translation away: a caller holds its own
// reference for the call, and the lock guards only the exchange.
struct TCurrent {
    std::mutex lock;
    std::shared_ptr<const TTranslation> translation;
};

TCurrent& Current() {
    static TCurrent current;
    return current;
}

}  // namespace

TTranslation SetTranslation(TTranslation translation) {
    auto next = translation ? std::make_shared<const TTranslation>(std::move(translation)) : nullptr;
    TCurrent& current = Current();
    std::shared_ptr<const TTranslation> before;
    {
        const std::lock_guard<std::mutex> hold(current.lock);
        before = std::exchange(current.translation, std::move(next));
    }
    return before ? *before : TTranslation();
}

std::string Translate(const char* context, const char* text, const char* disambiguation) {
    TCurrent& current = Current();
    std::shared_ptr<const TTranslation> translation;
    {
        const std::lock_guard<std::mutex> hold(current.lock);
        translation = current.translation;
    }
    return translation ? (*translation)(context, text, disambiguation) : std::string(text);
}

std::string Arg(const std::string& pattern, std::initializer_list<std::string> args) {
    std::string out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        // A digit past the arguments, or none, leaves the percent sign as
        // it is; what an argument brings in is never read again.
        const char digit = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const std::size_t n = digit >= '1' && digit <= '9' ? static_cast<std::size_t>(digit - '1') : args.size();
        if (pattern[i] == '%' && n < args.size()) {
            out += *(args.begin() + n);
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

}  // namespace quillane
