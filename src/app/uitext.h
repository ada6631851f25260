#pragma once
// Failures as the clerk reads them: a Chinese sentence first, the technical
// detail (a database or system message, often in English) after it in
// parentheses.
#include <QString>

namespace uitext {

// True when the text holds Chinese characters.
bool hasChinese(const QString &text);

// "sentence（detail）". A detail that is a Chinese message already stands
// for itself; an empty one leaves the sentence alone.
QString failure(const QString &sentence, const QString &detail);

} // namespace uitext
