// The front end's modal yes/no question, drawn over the current scene in the menu picture.
#pragma once

struct ViewComponents;

// Asks the question and waits for a typed key, a minute at most. True only for 'y' or 'Y'; false
// for any other key, the time-out, the program's quit request, or when its material cannot be
// defined.
bool ConfirmPromptShow(const char* message, ViewComponents* view);
