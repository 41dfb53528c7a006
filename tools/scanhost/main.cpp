// scanhost: a command-line host for the scanner plug-in. It loads the
// plug-in exactly as a host application does, drives it through the
// ScannerInterface1 table on the virtual device (or the device's own
// libraries), and shows the scan events, labels, tones and debug messages
// that come back. The commands live in scanhost_parts; this is the entry.
#include "commands.h"

int main(int argc, char** argv) { return scanhost::runCommandLine(argc, argv); }
