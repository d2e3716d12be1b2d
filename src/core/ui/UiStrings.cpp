// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/ui/UiStrings.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <string_view>

namespace quillmarch {

namespace {

// The table marker that means "use the caller's fallback".
constexpr std::string_view kUseFallback = "&*&";

// English texts by id; ids not listed answer their fallback.
const std::map<int, std::string_view> kEnglish = {
    {0, "No Image."},
    {1,
     "This program will update the software of your video conferencing system to the version shown "
     "below:"},
    {2, "Begin Quillmarch"},
    {3, "Enter the Address and the Admin password of the system that you want to update."},
    {4, "Password:"},
    {5, "Address:"},
    {6, "Trying to connect to System"},
    {7, "The current call will be disconnected if you update now.\nDo you want to continue?"},
    {8, "The system is in a call"},
    {9, "Quillmarch cannot update:"},
    {10, "Cannot connect to system"},
    {11, "Passive FTP Mode, used for systems behind firewalls"},
    {12, "Normal FTP Mode"},
    {13, "system"},
    {14, " or "},
    {15, "Software Update"},
    {16, "Date:"},
    {17, "Version:"},
    {18, "Language:"},
    {19, "Fixed Port"},
    {20, "Change Logo"},
    {21, "Which system do you want to update?"},
    {22, "IP Address or DNS Name:"},
    {23, "Remote Access Password:"},
    {24, "OK"},
    {25, "Cancel"},
    {26, "Build Date"},
    {27, "Copyright (C) Tessary. All rights reserved."},
    {28, "OK"},
    {29, "Task"},
    {30, "-Time"},
    {31, "00:00.00  0 / 0"},
    {32, "-Current Task"},
    {33, "-Task"},
    {34, "-"},
    {35, "-Complete"},
    {36, " 0 / 0     ( 0% )"},
    {37, "-Time"},
    {38, "00:00.00"},
    {39, "OK"},
    {40, "Cancel"},
    {41, "Retain the following files:"},
    {42, "Options"},
    {43, "OK"},
    {44, "Cancel"},
    {45, "Software"},
    {46, "Additional Options"},
    {47, "All Directory Entries"},
    {48, "System Settings"},
    {49, "Allow system to be a DHCP Server"},
    {64, "OK"},
    {65, "Cancel"},
    {66, "This will update your system"},
    {67, "Software"},
    {68, "Date"},
    {69, "?"},
    {70, "Version"},
    {71, "?"},
    {72, "Language"},
    {73, "OK"},
    {74, "Change Logo"},
    {75, "Could not re-connect to system.\nPlease make sure system is operational."},
    {76, "Quillmarch"},
    {79, "About Quillmarch"},
    {80, "IP Address"},
    {81, "Progress Dialog"},
    {82, "System Info"},
    {83, "Options"},
    {84, "Tessary Quillmarch"},
    {114, "System Info : "},
    {120, "System:  "},
    {121, "Back"},
    {122, "Next"},
    {123, "You have chosen this system to update."},
    {124, "Click Next to continue."},
    {125, "Add a custom logo to the main screen of the video conferencing system"},
    {127, "Update Software"},
    {128, "Please select your preferred update method."},
    {130, "Add a custom logo to the main screen of the video conferencing system"},
    {137, "Finish"},
    {138, "What do you want to do to the logo on the system?"},
    {139, "Add custom logo"},
    {140, "Remove custom logo"},
    {141, "Select an image file to update logo on the system."},
    {142, "Logo:"},
    {143,
     "Image must have the following attributes:\nWidth\t(%d) < %d\nHeight\t(%d) < %d\nSize\t(%d) < "
     "%d"},
    {144, "Use Passive FTP"},
    {145, "Update Logo"},
    {156, "How should Quillmarch handle your current addresses and system files?"},
    {157,
     "Quillmarch now has all the required information to perform the following "
     "operations.\n\nClick Next to start the update."},
    {165, "Update Software"},
    {167, "Tasks"},
    {168, "Bytes"},
    {169, "Time"},
    {170, "Update Progress"},
    {171, "Done"},
    {172, "Quit"},
    {173, "User configuration"},
    {174, "System files"},
    {175, "Address Book files"},
    {177, "Your system is in the process of being updated."},
    {178, "Boot Image 1"},
    {179, "Waiting for reboot"},
    {180, "Main Image"},
    {181, "Update Mode"},
    {189, "Starting Update"},
    {190, "Finish Update"},
    {191, "Error opening log file : "},
    {194, "Failure"},
    {205, "Could not update system, do not know what type of system it is!"},
    {206, "See the help page or the README for the systems this version of Quillmarch can update."},
    {207, "Restore files"},
    {208, "Backup files"},
    {209, "Failed to create FTP control. Please reboot and try again."},
    {210,
     "The file is corrupted. Please download the latest file from www.example.com and try again."},
    {211, "This is not a Tessary Video conferencing system."},
    {212, "Please select the tasks to be performed."},
    {213, "The passwords you typed do not match. Please retype the new password in both boxes."},
    {214,
     "If you choose to retain your default password, or have no password, then you must disable "
     "security mode."},
    {215, "Not update the image"},
    {216, "Please note that enabling security mode will only allow secured access to this system."},
    {217, "Please note that disabling security mode will allow unsecured access to this system."},
    {218, "Could not put image to "},
    {219, "Could not get "},
    {220, "Call Detail Report"},
    {222, "System is out of memory to query file version. Try again."},
    {223, "File version not found."},
    {224, "Updating done"},
    {225, "Can not update system"},
    {226, "Could not put system into Quillmarch Mode"},
    {227, "Trying to connect to system"},
    {228, "System is in update mode"},
    {229, "System not in update mode"},
    {230, "Could not connect to Orbiscope"},
    {231, "System is already in bootui mode"},
    {232, "Can not update this type of system so not putting into put update mode"},
    {233, "Not putting any main software, why put in to Update mode!"},
    {234, "Trying to put make to normal mode"},
    {235, "Data Received: "},
    {236, "Put Image Success"},
    {237, "Put Image Failure"},
    {238, "Got IDCANCEL from Progress Dlg"},
    {239, "System NOT notified about update"},
    {240, "System notified about update"},
    {242, "Sample Sites in Directory"},
    {243, "Tessary Sample Sites"},
    {244, "Retaining : "},
    {245, "Call detail report"},
    {248, "Typical"},
    {249, "Custom"},
    {250, "Please choose the update type."},
    {251, "Change System Settings"},
    {252, "Erase System Flash Memory"},
    {253, "Please select the settings you wish to change."},
    {254, "LAN Properties"},
    {255, "Enable Security Mode"},
    {256, "Primary Display Properties"},
    {257, "Please select LAN Properties"},
    {258, "Obtain IP address automatically"},
    {259, "Enter IP address manually"},
    {260, "IP Address:"},
    {261, "Subnet Mask:"},
    {262, "Default Gateway:"},
    {263,
     "Your system is currently set for security mode. For increased security, you must change the "
     "default password to a new password."},
    {264, "Room Password:"},
    {265, "Confirm:"},
    {266,
     "Warning: \nChanging this setting may cause video malfunction.  Please make sure the attached "
     "camera matches this setting."},
    {267, "Select Primary Display Properties:"},
    {268, "Video Output:"},
    {269, "Composite"},
    {270, "S-Video"},
    {271, "VGA"},
    {272, "4 X 3"},
    {273, "16 X 9"},
    {274, "Video Standard:"},
    {275, "800 X 600"},
    {276, "1024 X 768"},
    {277, "PAL"},
    {278, "NTSC"},
    {279, "Screen Resolution:"},
    {280, "Aspect Ratio:"},
    {282,
     "Your system is currently set for security mode. For increased security, it is required that "
     "you change both the room and remote access passwords to new, non empty passwords."},
    {283, "Use Room Password for Remote Access"},
    {284, "Remote Password"},
    {285, "Advanced Log"},
    {286, "Update Mode - Retrying"},
    {288, "Put dummy file Success"},
    {289, "Put dummy file Failure"},
    {290, "Wrong password"},
    {291, "Connection refused"},
    {292,
     "Failed to put system into update mode.\n\t- Hold '0' on the remote control\n\t- Reboot the "
     "system\n\t- Wait until system comes up in update mode\n\t- Release '0' on the remote "
     "control\n\t- Execute Quillmacrh again."},
    {293, "FTP component dll is not completely extracted, will wait and try again"},
    {294, "unsupported system.\n"},
};

// Texts of the two further tables, without their prefix: own texts first, then the ids
// that share the English text.
const std::map<int, std::string_view> kFurtherOwn = {
    {0, "Can not find any update image, please check the configuration file."},
    {1, "This program will automatically update your"},
    {2, "Quillmarch"},
    {3, "Enter the Address and the Admin password of the system that you would like to update."},
    {7,
     "Do you want to continue with update?\nCall will be disconnected if you continue with "
     "update!"},
    {8, "System in call"},
    {9, "Can not update this type of system!"},
    {10, "Could not connect to system"},
    {15, "Software"},
    {21, "Enter the Address and the Admin password of the system that you would like to update."},
    {22, "Address:"},
    {23, "Password:"},
    {41, "Continues to update the system in       sec."},
    {46, "Upload Software"},
    {47, "Remove Address Book entries"},
    {48, "Remove System Files"},
    {79, "About Quillmarch6"},
    {82, "Dialog"},
};
constexpr int kFurtherSameAsEnglish[] = {4,  5,  6,  11, 12, 13, 14, 16, 17, 18, 19, 20, 24,
                                         25, 26, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38,
                                         39, 40, 42, 43, 44, 45, 49, 64, 65, 66, 67, 68, 69,
                                         70, 71, 72, 73, 74, 75, 76, 80, 81, 83};

bool IsFallbackMarker(std::string_view text) {
    return text.size() == kUseFallback.size() &&
           std::equal(text.begin(), text.end(), kUseFallback.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

}  // namespace

std::string UiStrings::Entry(int language, int id) {
    if (id < 0) return std::string(kUseFallback);
    if (language == 0) {
        const auto it = kEnglish.find(id);
        return std::string(it == kEnglish.end() ? kUseFallback : it->second);
    }
    if ((language != 1 && language != 2) || id >= kFurtherTableSize)
        return std::string(kUseFallback);
    const std::string prefix = language == 1 ? "f_" : "g_";
    if (const auto own = kFurtherOwn.find(id); own != kFurtherOwn.end())
        return prefix + std::string(own->second);
    const bool shared =
        std::find(std::begin(kFurtherSameAsEnglish), std::end(kFurtherSameAsEnglish), id) !=
        std::end(kFurtherSameAsEnglish);
    return shared ? prefix + std::string(kEnglish.at(id)) : std::string(kUseFallback);
}

std::string UiStrings::Load(int language, int id, const std::string& fallback) {
    const std::string entry = Entry(language, id);
    return IsFallbackMarker(entry) ? fallback : entry;
}

}  // namespace quillmarch
