#pragma once
// The like operator's patterns: "%" any run of characters, "_" exactly one,
// "\" makes the next character ordinary; everything else matches its own byte.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace catalogue {

class LikePattern {
public:
    explicit LikePattern(std::string_view pattern);

    // Whether the whole of `text` matches. Linear in the text for the usual
    // shapes ("%x%", "x%", "x"), at most text × pattern steps otherwise.
    bool matches(std::string_view text) const;

    // For a pattern "%x%" (x without "%" or "_", escapes undone) or one of
    // "%" only, the x that a text must contain (empty: every text matches);
    // nothing for any other pattern.
    std::optional<std::string_view> contained() const;
    // For a pattern "x%" (x without "%" or "_", escapes undone, not empty),
    // the x that a text must begin with; nothing for any other pattern.
    std::optional<std::string_view> prefix() const;

private:
    enum class Kind : unsigned char { Byte, One, Any };
    struct Element {
        Kind kind;
        char byte;
    };
    enum class Shape : unsigned char { General, Exact, Prefix, Contains, Everything };

    bool matchGeneral(std::string_view text) const;

    std::vector<Element> elements_;
    Shape shape_ = Shape::General;
    std::string literal_; // the bytes of an Exact, Prefix or Contains pattern
};

} // namespace catalogue
