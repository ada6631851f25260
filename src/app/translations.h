#pragma once
// Qt's own texts (standard buttons, file dialogs, the context menus of text
// boxes) in Chinese, from the distribution's Qt translations.
#include <QString>

namespace translations {

// Installs Qt's Chinese texts into the running application. Returns false
// when the translation file is missing; Qt's texts stay in English then.
bool installQtChinese();

// The folder the Qt translation files are read from.
QString qtTranslationsFolder();

} // namespace translations
