#include "app/launch/TQProcessEntry.h"

int main(int argc, char** argv) { return TQProcessEntry(argc, argv); }
