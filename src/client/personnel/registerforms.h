// Registers the personnel and office windows with the window manager by class name: the
// record list the main window's opener shows, and the edit form of each record kind.
#pragma once

void RegisterPersonnelForms();
