#pragma once

// Tags of the menu items that the application's menus share and find by tag.
enum TQCAppMenuTag : int {
    kTQMenuTagDestinationFolder = 12300, // Destination Folder submenu, filled from the picker
    kTQMenuTagHiddenItem1 = 12503,       // items the application hides
    kTQMenuTagHiddenItem2 = 12504,
    kTQMenuTagHelpHidden1 = 12505,       // Help items hidden by the application
    kTQMenuTagHelpHidden2 = 12506,
    kTQMenuTagHelpHidden3 = 12507,
    kTQMenuTagHelpMain = 12511,          // Help submenu of the main menu
    kTQMenuTagAppMain = 12512,           // application submenu of the main menu
    kTQMenuTagBrowse = 12600,            // browse for sources
    kTQMenuTagEnterURL = 12601,
    kTQMenuTagImportFromMusic = 12602,
    kTQMenuTagResetPreferences = 12604,  // reset item of the preferences page
    kTQMenuTagHelpSubmenu = 12611,       // Help submenu added to other menus
    kTQMenuTagShowInFinder = 12620,
    kTQMenuTagMusicTitle = 12621,        // an item whose title names the music library
    kTQMenuTagSettingsForDialog = 12700, // main-menu item copied into the preferences dialog's menu
};
