// The window: the driver notice, one drop-down per group in rows, and the two exit buttons.
#ifndef SETUP_DISPLAY_GTK_H
#define SETUP_DISPLAY_GTK_H

#include "central.h"

// Initialises the toolkit with main's argument count and vector (it takes its own options
// out of them) and shows the titled window with the driver notice.
void InitGraphics(int *argc, char ***argv);

// Adds the groups' drop-downs in rows, and the exit buttons below them, to the window.
void FillMainWindow();

// Fills the window, then runs the main loop for good.
void ShowMain();

// Switches the picked choice's group to it and rewrites the game's file at once.
void ClickButton(GtkWidget *w, catagory *CUR);

// The readme button: replaces the process with the pager on the readme.
void myexit(int exitval);

// The exit button: every pick is already written, so it only ends the process.
void myexitnoreadme(int exitval);

#endif
