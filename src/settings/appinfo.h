// What the program says about itself: its title (captions of the dialogs and message
// boxes), its version, and the publisher, web address and support mail address shown in
// the about box. The last three are chosen when the program is built (CMake cache
// variables TROVELLE_PUBLISHER, TROVELLE_WEB_ADDRESS, TROVELLE_MAIL_ADDRESS) and reach the
// code as compile definitions; no other file names an address.
#pragma once

constexpr const char* kApplicationTitle = "Trovelle";
constexpr const char* kApplicationVersion = TROVELLE_VERSION;
constexpr const char* kPublisher = TROVELLE_PUBLISHER;
constexpr const char* kWebAddress = TROVELLE_WEB_ADDRESS;
constexpr const char* kMailAddress = TROVELLE_MAIL_ADDRESS;
