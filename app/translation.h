#ifndef TRANSLATION_H
#define TRANSLATION_H

class QString;
class QTranslator;

// Loads the catalogue for a locale name such as "de_AT" into translator.
// The loader falls back from "de_AT" to "de"; false means no catalogue
// matched and every text stays English.
bool loadTranslation(QTranslator &translator, const QString &localeName);

// Organization and application identity, under which the settings are stored.
void setApplicationIdentity();

// The main window's title: application name and version; never translated.
QString applicationTitle();

#endif // TRANSLATION_H
