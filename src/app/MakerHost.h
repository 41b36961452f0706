#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace perivant {

// Text literals joined at compile time, so every address on the maker's host is a constant built
// from the one host name below.
template <std::size_t... N>
struct JoinedText {
    std::array<char, (N + ...) - sizeof...(N) + 1> chars{};

    constexpr explicit JoinedText(const char (&... parts)[N]) {
        std::size_t at = 0;
        (
            [&] {
                for (std::size_t i = 0; i + 1 < N; ++i) {
                    chars[at++] = parts[i];
                }
            }(),
            ...);
        chars[at] = '\0';
    }

    constexpr std::string_view View() const { return {chars.data(), chars.size() - 1}; }
};

template <std::size_t... N>
JoinedText(const char (&... parts)[N]) -> JoinedText<N...>;

// The maker's web host: it serves the Master Server list and the Help-menu pages.
inline constexpr char kMakerHost[] = "www.perivant.example";

}  // namespace perivant
