#pragma once

// Registers the report windows with the window manager.
void RegisterReportForms();
