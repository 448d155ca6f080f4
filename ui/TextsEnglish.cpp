// English texts: the base every other language is applied over.
#include "ui/LanguageTables.h"

namespace orvane {
namespace {

constexpr TextEntry kTexts[] = {
    {0, "Click to Install"},
    {1, "Custom"},
    {2, "Accept"},
    {3, "User License Agreement"},
    {4, "Create a desktop shortcut"},
    {5, "Create a Start Menu shortcut"},
    {6, "Auto-run on System Startup"},
    {7, "Join"},
    {8, "User Experience Improvement Program"},
    {9, "Start __PRODUCT_NAME__"},
    {10, "Are you sure you want to quit __PRODUCT_NAME__ installation?"},
    {11, "OK"},
    {12, "Cancel"},
    {13, "Cannot proceed with the installation as __PRODUCT_NAME__ is already running. Please close it to try again "
         "or force close."},
    {14, "Try Again"},
    {15, "Force Close"},
    {16, "Create a Quick Launch icon"},
    {17, "Select a folder from the list below, and then click OK."},
    {18, "What's new"},
    {19, "Yes"},
    {20, "No"},
    {21, "Installing..."},
    {22, "Are you sure you want to uninstall?"},
    {23, "Uninstall"},
    {24, "Keep my personal configurations."},
    {25, "Uninstalling..."},
    {26, "Uninstallation complete! Thanks for your support!"},
    {27, "Finish"},
    {28, "Windows XP is not suppoeted anymore."},
    {29, "Windows Vista is not supported anymore."},
    {30, "The installation path is invalid."},
    {31, "There is not enough free space on the selected drive."},
    {32, "Oops! This version of __PRODUCT_NAME__ only works on 64-bit operating system. Please download and install "
         "the 32-bit version."},
    {33, "__PRODUCT_NAME__ currently works on 64-bit Windows OS only."},
    {34, "Uninstall"},
    {35, "Uninstall Application"},
    {36, "Application"},
    {37, "Online"},
    {38, "Homepage"},
    {39, "You must restart your computer to install the new version. Are you sure to proceed?"},
    {40, "Restart Now"},
    {41, "Download failed, please retry or download the offline installer from " ORVANE_WEB_HOST "."},
    {42, "The Online Installer is out of date, please download the latest version at " ORVANE_WEB_HOST "."},
    {43, "Downloading..."},
    {44, "Checking data, please wait..."},
    {45, "Gathering download information..."},
    {46, "__PRODUCT_NAME__ Online"},
    {47, "Uninstall __PRODUCT_NAME__"},
    {48, "Launch"},
    {49, "Installation will start automatically in XXX seconds."},
    {50, "Downloading setup file..."},
    {51, "official"},
};

}  // namespace

LanguageTable EnglishTexts() { return kTexts; }

}  // namespace orvane
