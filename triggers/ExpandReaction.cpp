#include "triggers/ExpandReaction.h"

#include "triggers/Trigger.h"

namespace tav {

namespace {

// The characters the walk must look at; any other is copied as it is.
bool IsSpecial(char ch) {
    return ch == '%' || ch == '{' || ch == '}' || ch == '\\';
}

bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// One walk over a reaction, copying it to `out` with the variables replaced.
class Expander {
public:
    Expander(std::string_view reaction, const TriggerVars& vars, std::string& out)
        : text_(reaction), vars_(vars), out_(out) {}

    void Run() {
        while (pos_ < text_.size()) {
            if (text_[pos_] == '%') {
                if (!PercentRun()) return;
                // The character after a handled run never starts another run.
                if (pos_ >= text_.size()) return;
            }
            Other();
        }
    }

private:
    // A run of '%' and the character after it. False when the run ends the reaction.
    bool PercentRun() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] == '%')
            ++pos_;
        const std::size_t count = pos_ - start;
        if (pos_ >= text_.size()) {
            out_.append(text_.substr(start, count));
            return false;
        }
        const char next = text_[pos_++];
        if (IsDigit(next) && static_cast<long>(count) == depth_ + 1) {
            out_.append(vars_.Get(static_cast<std::size_t>(next - '0')));
        } else {
            out_.append(text_.substr(start, count));
            out_.push_back(next);
        }
        return true;
    }

    // Any character but the start of a '%' run.
    void Other() {
        const char ch = text_[pos_];
        if (ch == '{') {
            ++depth_;
        } else if (ch == '}') {
            --depth_;
        } else if (ch == '\\' && depth_ == 0) {
            Backslashes();
            return;
        }
        // This character and the plain text up to the next one with a meaning go over in
        // one piece.
        const std::size_t start = pos_++;
        while (pos_ < text_.size() && !IsSpecial(text_[pos_]))
            ++pos_;
        out_.append(text_.substr(start, pos_ - start));
    }

    // A run of backslashes at depth 0; the last one escapes a '%' that follows.
    void Backslashes() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] == '\\')
            ++pos_;
        const std::size_t count = pos_ - start;
        if (pos_ >= text_.size() || text_[pos_] != '%') {
            out_.append(text_.substr(start, count));
            return;
        }
        out_.append(text_.substr(start, count - 1));
        out_.push_back('%');
        ++pos_;
        if (pos_ < text_.size()) out_.push_back(text_[pos_++]);
    }

    std::string_view text_;
    const TriggerVars& vars_;
    std::string& out_;
    std::size_t pos_ = 0;
    long depth_ = 0; // may go below 0 on unbalanced '}'
};

} // namespace

std::string ExpandReaction(std::string_view reaction, const TriggerVars& vars) {
    std::string out;
    ExpandReaction(reaction, vars, out);
    return out;
}

void ExpandReaction(std::string_view reaction, const TriggerVars& vars, std::string& out) {
    out.clear();
    out.reserve(reaction.size());
    Expander(reaction, vars, out).Run();
    if (out.size() > kMaxReactionChars) out = LimitLines(out, kMaxReactionChars);
}

} // namespace tav
