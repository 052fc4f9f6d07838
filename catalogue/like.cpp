#include "like.h"

namespace catalogue {

LikePattern::LikePattern(std::string_view pattern)
{
    elements_.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%') {
            // Several "%" in a row act as one.
            if (elements_.empty() || elements_.back().kind != Kind::Any)
                elements_.push_back({Kind::Any, 0});
        } else if (c == '_') {
            elements_.push_back({Kind::One, 0});
        } else if (c == '\\' && i + 1 < pattern.size()) {
            elements_.push_back({Kind::Byte, pattern[++i]});
        } else {
            // A "\" at the very end stands for itself.
            elements_.push_back({Kind::Byte, c});
        }
    }

    // Recognise the shapes that need no backtracking.
    const std::size_t n = elements_.size();
    std::size_t first = 0;
    std::size_t last = n;
    const bool leadingAny = n > 0 && elements_.front().kind == Kind::Any;
    const bool trailingAny = n > 0 && elements_.back().kind == Kind::Any;
    if (leadingAny)
        ++first;
    if (trailingAny && last > first)
        --last;
    bool plain = true;
    for (std::size_t i = first; i < last && plain; ++i) {
        plain = elements_[i].kind == Kind::Byte;
        literal_ += elements_[i].byte;
    }
    if (!plain) {
        literal_.clear();
        shape_ = Shape::General;
    } else if (leadingAny && literal_.empty()) {
        shape_ = Shape::Everything;
    } else if (leadingAny && trailingAny) {
        shape_ = Shape::Contains;
    } else if (leadingAny) {
        literal_.clear();
        shape_ = Shape::General; // "%x": left to the general matcher
    } else if (trailingAny) {
        shape_ = Shape::Prefix;
    } else {
        shape_ = Shape::Exact;
    }
}

bool LikePattern::matches(std::string_view text) const
{
    switch (shape_) {
    case Shape::Everything: return true;
    case Shape::Exact: return text == literal_;
    case Shape::Prefix: return text.substr(0, literal_.size()) == literal_;
    case Shape::Contains: return text.find(literal_) != std::string_view::npos;
    default: return matchGeneral(text);
    }
}

std::optional<std::string_view> LikePattern::contained() const
{
    if (shape_ == Shape::Contains || shape_ == Shape::Everything)
        return std::string_view(literal_);
    return std::nullopt;
}

std::optional<std::string_view> LikePattern::prefix() const
{
    if (shape_ == Shape::Prefix)
        return std::string_view(literal_);
    return std::nullopt;
}

// Greedy matching that, on a mismatch, goes back only to the latest "%" and
// lets it take one more character: never more than text × pattern steps.
bool LikePattern::matchGeneral(std::string_view text) const
{
    const std::size_t m = elements_.size();
    std::size_t p = 0;
    std::size_t t = 0;
    std::size_t starP = m; // none yet
    std::size_t starT = 0;
    while (t < text.size()) {
        if (p < m && (elements_[p].kind == Kind::One || (elements_[p].kind == Kind::Byte && elements_[p].byte == text[t]))) {
            ++p;
            ++t;
        } else if (p < m && elements_[p].kind == Kind::Any) {
            starP = p++;
            starT = t;
        } else if (starP < m) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < m && elements_[p].kind == Kind::Any)
        ++p;
    return p == m;
}

} // namespace catalogue
