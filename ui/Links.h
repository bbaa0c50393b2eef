#pragma once

#include <string>
#include <string_view>

// The maker's addresses that the Súgó menu and the download window open. Plain ASCII, so they are valid code page
// 1250 text as they stand.
namespace Links {

// The homepage: a secure address of the maker's site, without a path.
inline constexpr std::string_view Honlap = "https://vemba.hu";

// The maker's catalogue of downloadable tests. A settings file may name another one
// ([Download] CatalogueUrl), so a school can publish its own catalogue and tests.
inline constexpr std::string_view Katalogus = "http://vemba.hu/data/vemba.csv";

inline constexpr std::string_view Postafiok = "vemba@vemba.hu";
inline constexpr std::string_view LevelTargy = "Vemba program";

// The mail link: the contact mailbox with the subject. The subject's space is written as it
// is; the launcher encodes it when it hands the address over.
inline std::string LevelCim() {
    return "mailto:" + std::string(Postafiok) + "?subject=" + std::string(LevelTargy);
}

// The maker's one-line notice, in the main window's bottom strip and in the About box
// (UTF-8).
inline constexpr const char* MakerNotice = "© Kelvarom – Vemba";

} // namespace Links
