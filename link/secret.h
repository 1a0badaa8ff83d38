// Secrets in memory: a password is kept out of core dumps and wiped once it is no longer
// needed, so that neither a crash report nor freed memory hands it on.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace serial_link {

// Overwrites `size` bytes at `data` with zeros; the compiler may not leave it out.
void WipeMemory(void* data, std::size_t size);

// Stops this process from writing core dumps (and from being read by debuggers of the same
// user) from now on. Called before a password is held; nothing is needed where the system
// writes no core dumps of its own.
void KeepOutOfCoreDumps();

// Hands out memory that is wiped before it goes back: a string growing leaves no copy behind.
template <typename T>
struct WipingAllocator {
    using value_type = T;
    WipingAllocator() = default;
    template <typename U>
    WipingAllocator(const WipingAllocator<U>&) {}
    T* allocate(std::size_t n) { return std::allocator<T>().allocate(n); }
    void deallocate(T* p, std::size_t n) {
        WipeMemory(p, n * sizeof(T));
        std::allocator<T>().deallocate(p, n);
    }
    template <typename U>
    bool operator==(const WipingAllocator<U>&) const { return true; }
};

// A text that wipes its memory when it goes (a short text lives inside the object itself).
template <typename Char>
class BasicSecret {
  public:
    using Text = std::basic_string<Char, std::char_traits<Char>, WipingAllocator<Char>>;

    BasicSecret() = default;
    explicit BasicSecret(std::basic_string_view<Char> text) : text_(text) {}
    BasicSecret(const BasicSecret&) = default;
    BasicSecret& operator=(const BasicSecret& other) {
        if (this != &other) {
            Wipe();
            text_ = other.text_;
        }
        return *this;
    }
    ~BasicSecret() { Wipe(); }

    std::basic_string_view<Char> View() const { return text_; }
    bool Empty() const { return text_.empty(); }
    Text& Edit() { return text_; }

    void Wipe() {
        WipeMemory(text_.data(), (text_.capacity() + 1) * sizeof(Char));
        text_.clear();
    }

  private:
    Text text_;
};

// The secret in `text`, which is wiped and left empty.
template <typename Char>
BasicSecret<Char> TakeSecret(std::basic_string<Char>& text) {
    BasicSecret<Char> secret(text);
    WipeMemory(text.data(), (text.capacity() + 1) * sizeof(Char));
    text.clear();
    return secret;
}
template <typename Char>
BasicSecret<Char> TakeSecret(std::basic_string<Char>&& text) {
    return TakeSecret(text);
}

using Secret = BasicSecret<char>;
using WideSecret = BasicSecret<wchar_t>;

}  // namespace serial_link
