#pragma once

// The help and contact commands of a context keyword ("main", "helpmenu", a preferences page), as
// the application parameters supply them, and the running of one command. Main thread only.
//
// Parameters: "TQCAppHelp_<keyword>" lists the commands, one per line as "<tag>|<title>", a line
// "-" being a separator; "TQCAppHelpURL_<tag>" is the web page a command opens. The texts come
// from the network, so only http and https pages are ever opened.

#include <string>
#include <vector>

struct TQKitHelpEntry {
    std::string identifier; // "cmd<tag>", or "-" for a separator
    std::string title;      // "-" for a separator
    std::string detail;
    int tag = 0;            // the command; 0 for a separator
};

// The entries of `keyword`, in menu order; false when there are none.
bool TQKitHelpCommandsGet(std::vector<TQKitHelpEntry>& entries, const char* keyword);
// Runs the command `tag`: opens its page. False when it has none or the page is not a web page.
bool TQKitMenuCommandPerform(int tag);
