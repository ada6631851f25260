#pragma once
// Failures as the clerk reads them: a Chinese sentence first, the technical
// detail (a database or system message, often in English) after it in
// parentheses.
#include <QString>

namespace uitext {

// True when the text holds Chinese characters.
bool hasChinese(const QString &text);

// True when the text begins with a Chinese character or Chinese punctuation.
bool opensInChinese(const QString &text);

// "sentence（detail）". A detail that is a Chinese message (one that opens
// in Chinese) already stands for itself; an empty one leaves the sentence
// alone.
QString failure(const QString &sentence, const QString &detail);

} // namespace uitext
