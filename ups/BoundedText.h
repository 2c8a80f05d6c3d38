// A zero-terminated text with a fixed capacity. Whatever is assigned or appended is cut at the capacity,
// so no answer from the unit, however long, can overflow a member that holds it.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kelvane {

template <std::size_t Capacity>
class BoundedText {
  public:
    static constexpr std::size_t kCapacity = Capacity;

    BoundedText() = default;
    BoundedText(std::string_view text) { Assign(text); }  // NOLINT: implicit by design, like a char array

    BoundedText& operator=(std::string_view text) {
        Assign(text);
        return *this;
    }

    // A zero byte ends the text, as it would in the plain character buffer this replaces.
    void Assign(std::string_view text) {
        length_ = 0;
        Append(text);
    }

    void Append(std::string_view text) {
        text = text.substr(0, text.find('\0'));
        const std::size_t count = std::min(text.size(), Capacity - length_);
        std::copy_n(text.data(), count, chars_.data() + length_);
        length_ += count;
        chars_[length_] = '\0';
    }

    void Clear() { Assign({}); }

    std::string_view View() const { return {chars_.data(), length_}; }
    operator std::string_view() const {
        return View();
    }  // NOLINT: reads like a string wherever one is expected
    const char* CStr() const { return chars_.data(); }
    std::string Str() const { return std::string(View()); }
    std::size_t Size() const { return length_; }
    bool Empty() const { return length_ == 0; }

    friend bool operator==(const BoundedText& text, std::string_view other) { return text.View() == other; }

  private:
    std::array<char, Capacity + 1> chars_{};
    std::size_t length_ = 0;
};

}  // namespace kelvane
