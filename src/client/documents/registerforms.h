// The document windows of the window manager.
#pragma once

void RegisterDocumentForms();
