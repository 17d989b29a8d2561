#pragma once

// Empties what the engine keeps in Sonvale's cache folder and no longer needs: the work folders
// that processes which no longer run left behind. What running conversions use stays, nothing
// else in the cache folder is touched and no link is followed. Safe from any thread.
void TQKitClearCaches();
