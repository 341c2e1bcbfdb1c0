<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CanvasSettings</name>
    <message>
        <source>Background</source>
        <translation>Hintergrundfarbe</translation>
    </message>
    <message>
        <source>Frame</source>
        <translation>Fotorahmen</translation>
    </message>
</context>
<context>
    <name>CollageDocument</name>
    <message>
        <source>the file is missing</source>
        <translation>die Datei fehlt</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine reguläre Datei</translation>
    </message>
    <message>
        <source>cannot be read as a photo</source>
        <translation>kann nicht als Foto gelesen werden</translation>
    </message>
    <message>
        <source>the photo has changed since the project was saved</source>
        <translation>das Foto wurde seit dem Speichern des Projekts geändert</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>&amp;New Canvas...</source>
        <translation>Neuer Zeichenbereich...</translation>
    </message>
    <message>
        <source>Add &amp;Folder...</source>
        <translation>Fotoordner hinzufügen...</translation>
    </message>
    <message>
        <source>Add &amp;Photo(s)...</source>
        <translation>Fotos hinzufügen...</translation>
    </message>
    <message>
        <source>&amp;Save Collage As...</source>
        <translation>Speichern unter...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>Vellomir</translation>
    </message>
    <message>
        <source>About Vellomir</source>
        <translation>Vellomir</translation>
    </message>
    <message>
        <source>Add folder</source>
        <translation>Fotoordner hinzufügen</translation>
    </message>
    <message>
        <source>Add Photo(s)</source>
        <translation>Fotos hinzufügen</translation>
    </message>
    <message>
        <source>Photos (*.jpg *.jpeg)</source>
        <translation>Fotos (*.jpg *.jpeg)</translation>
    </message>
    <message>
        <source>Save Collage</source>
        <translation>Speichern unter</translation>
    </message>
    <message>
        <source>Ctrl+N</source>
        <translation>Ctrl+N</translation>
    </message>
    <message>
        <source>Ctrl+A</source>
        <translation>Ctrl+A</translation>
    </message>
    <message>
        <source>Ctrl+S</source>
        <translation>Ctrl+S</translation>
    </message>
    <message>
        <source>Ctrl+Q</source>
        <translation>Ctrl+Q</translation>
    </message>
    <message>
        <source>(*.jpg)</source>
        <translation>(*.jpg)</translation>
    </message>
    <message>
        <source>Cannot save %1: only JPEG (.jpg, .jpeg) and PNG (.png) files are supported.</source>
        <translation>%1 kann nicht gespeichert werden: nur JPEG- (.jpg, .jpeg) und PNG-Dateien (.png) werden unterstützt.</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>unsupported file type</source>
        <translation>nicht unterstützter Dateityp</translation>
    </message>
    <message>
        <source>there is no image to save</source>
        <translation>es gibt kein Bild zum Speichern</translation>
    </message>
    <message>
        <source>Add Photos</source>
        <translation>Fotos hinzufügen</translation>
    </message>
    <message>
        <source>Shuffle</source>
        <translation>Mischen</translation>
    </message>
    <message>
        <source>Frame Change</source>
        <translation>Fotorahmen ändern</translation>
    </message>
    <message>
        <source>Background Change</source>
        <translation>Hintergrundfarbe ändern</translation>
    </message>
    <message>
        <source>New Canvas</source>
        <translation>Neuer Zeichenbereich</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>unbekannter Fehler</translation>
    </message>
    <message>
        <source>%1[*] — %2</source>
        <translation>%1[*] — %2</translation>
    </message>
    <message>
        <source>The collage has been modified.
Do you want to save it?</source>
        <translation>Die Collage wurde geändert.
Möchten Sie sie speichern?</translation>
    </message>
    <message>
        <source>Open Project</source>
        <translation>Projekt öffnen</translation>
    </message>
    <message>
        <source>Vellomir projects (*.%1)</source>
        <translation>Vellomir-Projekte (*.%1)</translation>
    </message>
    <message>
        <source>Cannot open %1: %2</source>
        <translation>%1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Save Project</source>
        <translation>Projekt speichern</translation>
    </message>
    <message>
        <source>No Recent Projects</source>
        <translation>Keine zuletzt geöffneten Projekte</translation>
    </message>
    <message>
        <source>&amp;Open Project...</source>
        <translation>Projekt ö&amp;ffnen...</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>Save Pro&amp;ject</source>
        <translation>Projekt &amp;speichern</translation>
    </message>
    <message>
        <source>Ctrl+Shift+S</source>
        <translation>Ctrl+Shift+S</translation>
    </message>
    <message>
        <source>Save Project &amp;As...</source>
        <translation>Projekt speichern &amp;unter...</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>Ctrl+Z</source>
        <translation>Ctrl+Z</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Wiederherstellen</translation>
    </message>
    <message>
        <source>Ctrl+Shift+Z</source>
        <translation>Ctrl+Shift+Z</translation>
    </message>
    <message>
        <source>Open &amp;Recent</source>
        <translation>&amp;Zuletzt geöffnete Projekte</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message numerus="yes">
        <source>…and %n more</source>
        <translation>
            <numerusform>…und %n weiteres</numerusform>
            <numerusform>…und %n weitere</numerusform>
        </translation>
    </message>
    <message>
        <source>One photo of %1 could not be used and was left out of the collage:</source>
        <translation>Ein Foto aus %1 konnte nicht verwendet werden und fehlt in der Collage:</translation>
    </message>
    <message numerus="yes">
        <source>%n photos of %1 could not be used and were left out of the collage:</source>
        <translation>
            <numerusform>%n Foto aus %1 konnte nicht verwendet werden und fehlt in der Collage:</numerusform>
            <numerusform>%n Fotos aus %1 konnten nicht verwendet werden und fehlen in der Collage:</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ProjectFile</name>
    <message>
        <source>a photo has no path</source>
        <translation>ein Foto hat keinen Pfad</translation>
    </message>
    <message>
        <source>a photo&apos;s size is not usable</source>
        <translation>die Größe eines Fotos ist ungültig</translation>
    </message>
    <message>
        <source>a photo&apos;s orientation is not usable</source>
        <translation>die Ausrichtung eines Fotos ist ungültig</translation>
    </message>
    <message>
        <source>a photo&apos;s crop is not usable</source>
        <translation>der Bildausschnitt eines Fotos ist ungültig</translation>
    </message>
    <message>
        <source>the file is damaged or not a project</source>
        <translation>die Datei ist beschädigt oder kein Projekt</translation>
    </message>
    <message>
        <source>not a Vellomir project</source>
        <translation>kein Vellomir-Projekt</translation>
    </message>
    <message>
        <source>made by a newer version of Vellomir</source>
        <translation>mit einer neueren Version von Vellomir erstellt</translation>
    </message>
    <message>
        <source>the project file is damaged</source>
        <translation>die Projektdatei ist beschädigt</translation>
    </message>
    <message>
        <source>the canvas size is not usable</source>
        <translation>die Größe des Zeichenbereichs ist ungültig</translation>
    </message>
    <message>
        <source>the background colour is not usable</source>
        <translation>die Hintergrundfarbe ist ungültig</translation>
    </message>
    <message>
        <source>the frame is not usable</source>
        <translation>der Fotorahmen ist ungültig</translation>
    </message>
    <message>
        <source>more than %1 photos</source>
        <translation>mehr als %1 Fotos</translation>
    </message>
    <message>
        <source>the layout does not match the photos</source>
        <translation>das Layout passt nicht zu den Fotos</translation>
    </message>
    <message>
        <source>the file does not exist</source>
        <translation>die Datei existiert nicht</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine reguläre Datei</translation>
    </message>
    <message>
        <source>the file is too large for a project</source>
        <translation>die Datei ist zu groß für ein Projekt</translation>
    </message>
    <message>
        <source>cannot read the file: %1</source>
        <translation>die Datei kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>the project cannot be stored: %1</source>
        <translation>das Projekt kann nicht gespeichert werden: %1</translation>
    </message>
</context>
<context>
    <name>QFileDialog</name>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>Die Datei %1 existiert bereits.
Soll sie überschrieben werden?</translation>
    </message>
</context>
<context>
    <name>QMessageBox</name>
    <message>
        <source>&lt;h3&gt;Vellomir&lt;/h3&gt;&lt;p&gt;This program is a photo collage software. It allows you to create layouts quickly and  generate unique layout each time.&lt;/p&gt;&lt;p&gt;version: %1&lt;/p&gt;&lt;p&gt;&lt;a href=&quot;https://vellomir.org/&quot;&gt;vellomir.org&lt;/a&gt;&lt;/p&gt;&lt;p&gt;Copyright &amp;copy; 2026 Vellomir&lt;/p&gt;</source>
        <translatorcomment>Left untranslated on purpose: the about text stays English.</translatorcomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SizeWidget</name>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Orientation</source>
        <translation>Ausrichtung</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>Hochformat</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>Querformat</translation>
    </message>
    <message>
        <source> 800 x  600 px             </source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1000 x  750 px             </source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1500 x 1051 px   (9 x 13)cm</source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1795 x 1205 px  (10 x 15)cm</source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1800 x 1350 px             </source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2102 x 1500 px  (13 x 18)cm</source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2398 x 1795 px             </source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3000 x 2398 px  (20 x 25)cm</source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3602 x 2398 px  (20 x 30)cm</source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3602 x 3000 px             </source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>4205 x 3295 px  (28 x 36)cm</source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>4500 x 3000 px             </source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>4500 x 3602 px             </source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>5102 x 3295 px             </source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>5492 x 3602 px             </source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
