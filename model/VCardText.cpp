#include "model/VCardText.h"

QString VCardText::escaped(const QString &text) {
    // Most values hold nothing to escape.
    bool plain = true;
    for (QChar c : text) {
        if (c == u'\\' || c == u'\r' || c == u'\n' || c == u',' || c == u';') {
            plain = false;
            break;
        }
    }
    if (plain)
        return text;
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out += QLatin1String("\\n");
        } else if (c == u'\n') {
            out += QLatin1String("\\n");
        } else if (c == u'\\' || c == u',' || c == u';') {
            out += u'\\';
            out += c;
        } else {
            out += c;
        }
    }
    return out;
}
