#pragma once

namespace hx {

// Base URL of the maker's online catalogue; the catalogue files lie below "hangarix/".
inline constexpr const char* kDefaultCatalogueBaseUrl = "http://liveries.kzq-aircraft.example/";

// The maker's web site; its FAQ page is the site followed by "/FAQ".
inline constexpr const char* kMakerWebSite = "http://www.kzq-aircraft.example";

} // namespace hx
