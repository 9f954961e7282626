// Cdfront, the disc launcher. It reads no command line and no environment: everything it needs
// is in the configuration file beside the program.
#include "launcher/launcher_main.h"

int main() { return LauncherWinMain(); }
