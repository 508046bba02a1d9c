#pragma once
// Fixed names of the product this launcher fronts.
namespace product {

// The portal's web host: the application title, the window caption and the privacy page's host.
inline constexpr char kPortalHost[] = "www.zorbal.example";
// The host the toolbar's maker keeps the licence agreement on for this portal.
inline constexpr char kLicenceHost[] = "zorbal.toolbarworks.example";

inline constexpr char kSettingsFile[] = "toolbar.ini";
inline constexpr char kInstallerFile[] = "ToolbarSetup.exe";
inline constexpr char kInstallerCommandLine[] = "ToolbarSetup.exe /s -silent";
inline constexpr char kGameFile[] = "game.exe";

}  // namespace product
