// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace Platform {

// Prepares the process for a GUI application before one is made: without a
// display the offscreen platform serves (fonts and text documents work the
// same), and a private runtime folder is named when the session gives none.
void prepareGuiEnvironment();

} // namespace Platform
