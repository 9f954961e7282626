// Cdfront, the disc launcher. It reads no command line, and of the environment only what names its
// own folder (XDG_STATE_HOME, HOME): everything else it needs is in the configuration file beside
// the program.
#include "launcher/launcher_main.h"

int main() { return LauncherWinMain(); }
