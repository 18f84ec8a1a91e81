// The settings page's language row.
#pragma once

namespace postplay {

// The language row: caption, a combo box of the two languages, and a reset button.
void RenderLanguageSelector();

} // namespace postplay
