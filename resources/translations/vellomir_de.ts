<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CanvasGestures</name>
    <message>
        <source>Click the photo to swap with this one.</source>
        <translation>Klicken Sie auf das Foto, mit dem dieses getauscht werden soll.</translation>
    </message>
    <message>
        <source>&amp;Remove Photo</source>
        <translation>Foto &amp;entfernen</translation>
    </message>
    <message>
        <source>&amp;Swap with...</source>
        <translation>&amp;Tauschen mit...</translation>
    </message>
    <message>
        <source>Rotate &amp;Left</source>
        <translation>&amp;Links drehen</translation>
    </message>
    <message>
        <source>Rotate Ri&amp;ght</source>
        <translation>&amp;Rechts drehen</translation>
    </message>
    <message>
        <source>Re&amp;place Photo...</source>
        <translation>Foto er&amp;setzen...</translation>
    </message>
    <message>
        <source>Replace Photo</source>
        <translation>Foto ersetzen</translation>
    </message>
    <message>
        <source>Make L&amp;arger</source>
        <translation>&amp;Vergrößern</translation>
    </message>
    <message>
        <source>Make S&amp;maller</source>
        <translation>Ver&amp;kleinern</translation>
    </message>
    <message>
        <source>&amp;Automatic Crop</source>
        <translation>&amp;Automatisch zuschneiden</translation>
    </message>
</context>
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
    <message>
        <source>Background colour</source>
        <translation>Hintergrundfarbe</translation>
    </message>
    <message>
        <source>Rectangular frame</source>
        <translation>Rechteckiger Fotorahmen</translation>
    </message>
    <message>
        <source>Rounded frame</source>
        <translation>Abgerundeter Fotorahmen</translation>
    </message>
    <message>
        <source>Scalloped frame</source>
        <translation>Fotorahmen mit Bogenkante</translation>
    </message>
    <message>
        <source>Margin: %1 px</source>
        <translation>Rand: %1 px</translation>
    </message>
    <message>
        <source>Arc: %1 px</source>
        <translation>Bogen: %1 px</translation>
    </message>
    <message>
        <source>Corner: %1 px</source>
        <translation>Ecken: %1 px</translation>
    </message>
    <message>
        <source>Margin: %1 mm</source>
        <translation>Rand: %1 mm</translation>
    </message>
    <message>
        <source>Arc: %1 mm</source>
        <translation>Bogen: %1 mm</translation>
    </message>
    <message>
        <source>Corner: %1 mm</source>
        <translation>Ecken: %1 mm</translation>
    </message>
    <message>
        <source>Keep faces in view</source>
        <translation>Gesichter im Bild behalten</translation>
    </message>
    <message>
        <source>Crop each photo around the faces or the subject it shows</source>
        <translation>Jedes Foto um die Gesichter oder das Motiv darin zuschneiden</translation>
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
        <source>the photo has changed since the project was saved and is shown as it is now</source>
        <translation>das Foto wurde seit dem Speichern des Projekts geändert und wird so gezeigt, wie es jetzt ist</translation>
    </message>
</context>
<context>
    <name>CollageFile</name>
    <message>
        <source>unsupported file type</source>
        <translation>nicht unterstützter Dateityp</translation>
    </message>
    <message>
        <source>there is no image to save</source>
        <translation>es gibt kein Bild zum Speichern</translation>
    </message>
    <message>
        <source>the file name is too long: saving first writes a temporary file whose name is %1 bytes longer, so the name may be at most %2 bytes</source>
        <translation>der Dateiname ist zu lang: beim Speichern wird zuerst eine temporäre Datei geschrieben, deren Name %1 Byte länger ist, daher darf der Name höchstens %2 Byte lang sein</translation>
    </message>
    <message>
        <source>No space left on device</source>
        <translation>Kein freier Speicherplatz auf dem Gerät</translation>
    </message>
    <message>
        <source>the file cannot be created</source>
        <translation>die Datei kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
    <message>
        <source>the finished file cannot take its name</source>
        <translation>die fertige Datei kann ihren Namen nicht erhalten</translation>
    </message>
    <message>
        <source>the file cannot be written</source>
        <translation>die Datei kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine reguläre Datei</translation>
    </message>
</context>
<context>
    <name>CollageRender</name>
    <message>
        <source>cannot decode</source>
        <translation>kann nicht dekodiert werden</translation>
    </message>
</context>
<context>
    <name>CollageSession</name>
    <message>
        <source>already in the collage</source>
        <translation>bereits in der Collage</translation>
    </message>
    <message>
        <source>not a photo Vellomir can use</source>
        <translation>kein Foto, das Vellomir verwenden kann</translation>
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
        <source>cannot decode (%1)</source>
        <translation>kann nicht dekodiert werden (%1)</translation>
    </message>
    <message>
        <source>Swap</source>
        <translation>Fotos tauschen</translation>
    </message>
    <message>
        <source>Remove Photo</source>
        <translation>Foto entfernen</translation>
    </message>
    <message>
        <source>Rotate Left</source>
        <translation>Links drehen</translation>
    </message>
    <message>
        <source>Rotate Right</source>
        <translation>Rechts drehen</translation>
    </message>
    <message>
        <source>Move Photo</source>
        <translation>Foto verschieben</translation>
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
        <source>Canvas Size</source>
        <translation>Größe des Zeichenbereichs ändern</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>unbekannter Fehler</translation>
    </message>
    <message>
        <source>the folder holds no photos</source>
        <translation>der Ordner enthält keine Fotos</translation>
    </message>
    <message>
        <source>One photo was not added: the collage holds at most %1</source>
        <translation>Ein Foto wurde nicht hinzugefügt: die Collage fasst höchstens %1</translation>
    </message>
    <message numerus="yes">
        <source>%n photos were not added: the collage holds at most %1</source>
        <translation>
            <numerusform>%n Foto wurde nicht hinzugefügt: die Collage fasst höchstens %1</numerusform>
            <numerusform>%n Fotos wurden nicht hinzugefügt: die Collage fasst höchstens %1</numerusform>
        </translation>
    </message>
    <message>
        <source>Replace Photo</source>
        <translation>Foto ersetzen</translation>
    </message>
    <message>
        <source>it is being restored by another window</source>
        <translation>es wird gerade von einem anderen Fenster wiederhergestellt</translation>
    </message>
    <message>
        <source>Make Larger</source>
        <translation>Vergrößern</translation>
    </message>
    <message>
        <source>Make Smaller</source>
        <translation>Verkleinern</translation>
    </message>
    <message>
        <source>Automatic Crop</source>
        <translation>Automatischer Zuschnitt</translation>
    </message>
    <message>
        <source>Keep Faces in View</source>
        <translation>Gesichter im Bild behalten</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;New Canvas...</source>
        <translation>&amp;Neuer Zeichenbereich...</translation>
    </message>
    <message>
        <source>Add &amp;Folder...</source>
        <translation>Foto&amp;ordner hinzufügen...</translation>
    </message>
    <message>
        <source>Add &amp;Photo(s)...</source>
        <translation>Fotos &amp;hinzufügen...</translation>
    </message>
    <message>
        <source>&amp;Save Collage As...</source>
        <translation>&amp;Collage speichern unter...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;Über Vellomir</translation>
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
        <source>Cannot save %1: only JPEG (.jpg, .jpeg), PNG (.png) and PDF (.pdf) files are supported.</source>
        <translation>%1 kann nicht gespeichert werden: nur JPEG- (.jpg, .jpeg), PNG- (.png) und PDF-Dateien (.pdf) werden unterstützt.</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Add Photos</source>
        <translation>Fotos hinzufügen</translation>
    </message>
    <message>
        <source>New Canvas</source>
        <translation>Neuer Zeichenbereich</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
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
        <source>One file was not added:</source>
        <translation>Eine Datei wurde nicht hinzugefügt:</translation>
    </message>
    <message numerus="yes">
        <source>%n files were not added:</source>
        <translation>
            <numerusform>%n Datei wurde nicht hinzugefügt:</numerusform>
            <numerusform>%n Dateien wurden nicht hinzugefügt:</numerusform>
        </translation>
    </message>
    <message>
        <source>One photo could not be decoded and was left out:</source>
        <translation>Ein Foto konnte nicht dekodiert werden und fehlt in der Collage:</translation>
    </message>
    <message numerus="yes">
        <source>%n photos could not be decoded and were left out:</source>
        <translation>
            <numerusform>%n Foto konnte nicht dekodiert werden und fehlt in der Collage:</numerusform>
            <numerusform>%n Fotos konnten nicht dekodiert werden und fehlen in der Collage:</numerusform>
        </translation>
    </message>
    <message>
        <source>No photos</source>
        <translation>Keine Fotos</translation>
    </message>
    <message>
        <source>1 photo</source>
        <translation>1 Foto</translation>
    </message>
    <message numerus="yes">
        <source>%n photos</source>
        <translation>
            <numerusform>%n Foto</numerusform>
            <numerusform>%n Fotos</numerusform>
        </translation>
    </message>
    <message>
        <source>Canvas Size</source>
        <translation>Größe des Zeichenbereichs ändern</translation>
    </message>
    <message>
        <source>Drag a photo onto another to swap them, Shift+drag to move it in its tile; right-click for more.</source>
        <translation>Ziehen Sie ein Foto auf ein anderes, um die beiden zu tauschen, mit Umschalt+Ziehen verschieben Sie es in seiner Kachel; Rechtsklick für weitere Befehle.</translation>
    </message>
    <message>
        <source>JPEG (*.jpg *.jpeg)</source>
        <translation>JPEG (*.jpg *.jpeg)</translation>
    </message>
    <message>
        <source>PNG (*.png)</source>
        <translation>PNG (*.png)</translation>
    </message>
    <message>
        <source>Cannot save %1: it is one of the collage&apos;s photos.</source>
        <translation>%1 kann nicht gespeichert werden: die Datei ist eines der Fotos der Collage.</translation>
    </message>
    <message>
        <source>Canvas Si&amp;ze...</source>
        <translation>&amp;Größe des Zeichenbereichs...</translation>
    </message>
    <message>
        <source>Zoom &amp;In</source>
        <translation>Ver&amp;größern</translation>
    </message>
    <message>
        <source>Ctrl++</source>
        <translation>Ctrl++</translation>
    </message>
    <message>
        <source>Ctrl+=</source>
        <translation>Ctrl+=</translation>
    </message>
    <message>
        <source>Zoom &amp;Out</source>
        <translation>Ver&amp;kleinern</translation>
    </message>
    <message>
        <source>Ctrl+-</source>
        <translation>Ctrl+-</translation>
    </message>
    <message>
        <source>&amp;Fit</source>
        <translation>&amp;Einpassen</translation>
    </message>
    <message>
        <source>Ctrl+0</source>
        <translation>Ctrl+0</translation>
    </message>
    <message>
        <source>&amp;Actual Size</source>
        <translation>&amp;Originalgröße</translation>
    </message>
    <message>
        <source>Ctrl+1</source>
        <translation>Ctrl+1</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>Vellomir closes once the collage is saved.</source>
        <translation>Vellomir wird geschlossen, sobald die Collage gespeichert ist.</translation>
    </message>
    <message>
        <source>Add photos with File &gt; Add Folder, or drop them here</source>
        <translation>Fügen Sie Fotos mit Datei &gt; Fotoordner hinzufügen hinzu oder ziehen Sie sie hierher</translation>
    </message>
</context>
<context>
    <name>PaperSize</name>
    <message>
        <source>mm</source>
        <translation>mm</translation>
    </message>
    <message>
        <source>cm</source>
        <translation>cm</translation>
    </message>
    <message>
        <source>in</source>
        <translation>Zoll</translation>
    </message>
    <message>
        <source>px</source>
        <translation>px</translation>
    </message>
    <message>
        <source>One photo is damaged and is shown as far as it goes:</source>
        <translation>Ein Foto ist beschädigt und wird gezeigt, so weit es reicht:</translation>
    </message>
    <message numerus="yes">
        <source>%n photos are damaged and are shown as far as they go:</source>
        <translation>
            <numerusform>%n Foto ist beschädigt und wird gezeigt, so weit es reicht:</numerusform>
            <numerusform>%n Fotos sind beschädigt und werden gezeigt, so weit sie reichen:</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>PdfPageDialog</name>
    <message>
        <source>Export PDF</source>
        <translation>PDF exportieren</translation>
    </message>
    <message>
        <source>The canvas: %1 x %2 mm at %3 dpi</source>
        <translation>Die Leinwand: %1 x %2 mm bei %3 dpi</translation>
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
        <source>The background and the outer photos reach this far past the page&apos;s edge, for a print lab to trim.</source>
        <translation>So weit reichen der Hintergrund und die äußeren Fotos über den Seitenrand hinaus, damit die Druckerei zuschneiden kann.</translation>
    </message>
    <message>
        <source>Page:</source>
        <translation>Seite:</translation>
    </message>
    <message>
        <source>Orientation:</source>
        <translation>Ausrichtung:</translation>
    </message>
    <message>
        <source>Bleed:</source>
        <translation>Beschnittzugabe:</translation>
    </message>
</context>
<context>
    <name>PhotoFilters</name>
    <message>
        <source>JPEG</source>
        <translation>JPEG</translation>
    </message>
    <message>
        <source>HEIF</source>
        <translation>HEIF</translation>
    </message>
    <message>
        <source>AVIF</source>
        <translation>AVIF</translation>
    </message>
    <message>
        <source>PNG</source>
        <translation>PNG</translation>
    </message>
    <message>
        <source>WebP</source>
        <translation>WebP</translation>
    </message>
    <message>
        <source>TIFF</source>
        <translation>TIFF</translation>
    </message>
    <message>
        <source>Photos</source>
        <translation>Fotos</translation>
    </message>
</context>
<context>
    <name>PhotoLoader</name>
    <message>
        <source>not readable</source>
        <translation>nicht lesbar</translation>
    </message>
    <message>
        <source>no such file</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine reguläre Datei</translation>
    </message>
    <message>
        <source>not a usable image</source>
        <translation>kein verwendbares Bild</translation>
    </message>
    <message>
        <source>no image reader for %1 is installed</source>
        <translation>für %1 ist kein Bildleser installiert</translation>
    </message>
    <message>
        <source>%1 x %2 pixels, more than the %3 a side a collage takes</source>
        <translation>%1 x %2 Pixel, mehr als die %3 pro Seite, die eine Collage aufnimmt</translation>
    </message>
    <message>
        <source>a progressive JPEG of %1 x %2 pixels needs %3 MB to decode, more than the %4 MB a photo may take</source>
        <translation>ein progressives JPEG mit %1 x %2 Pixeln braucht zum Dekodieren %3 MB, mehr als die %4 MB, die ein Foto belegen darf</translation>
    </message>
    <message>
        <source>%1 x %2 pixels need %3 MB to decode, more than the %4 MB a photo may take</source>
        <translation>%1 x %2 Pixel brauchen zum Dekodieren %3 MB, mehr als die %4 MB, die ein Foto belegen darf</translation>
    </message>
    <message>
        <source>needs %1 MB to decode</source>
        <translation>braucht zum Dekodieren %1 MB</translation>
    </message>
    <message>
        <source>the JPEG header runs on without a picture</source>
        <translation>der JPEG-Kopf läuft ohne Bild weiter</translation>
    </message>
    <message>
        <source>the file ends before the end of the picture</source>
        <translation>die Datei endet vor dem Ende des Bildes</translation>
    </message>
    <message>
        <source>the file ends before most of the picture</source>
        <translation>die Datei endet vor dem größten Teil des Bildes</translation>
    </message>
</context>
<context>
    <name>PhotoScan</name>
    <message>
        <source>the name is not valid in the locale&apos;s encoding</source>
        <translation>der Name ist in der Zeichenkodierung des Systems ungültig</translation>
    </message>
    <message>
        <source>not a photo format</source>
        <translation>kein Fotoformat</translation>
    </message>
</context>
<context>
    <name>PrintController</name>
    <message>
        <source>&amp;Print...</source>
        <translation>&amp;Drucken...</translation>
    </message>
    <message>
        <source>Ctrl+P</source>
        <translation>Ctrl+P</translation>
    </message>
    <message>
        <source>Print Pre&amp;view...</source>
        <translation>Druck&amp;vorschau...</translation>
    </message>
    <message>
        <source>&amp;Export PDF...</source>
        <translation>Als PDF &amp;exportieren...</translation>
    </message>
    <message>
        <source>Collage</source>
        <translation>Collage</translation>
    </message>
    <message>
        <source>Fill the page, cutting away the least of the collage</source>
        <translation>Seite füllen und so wenig wie möglich von der Collage abschneiden</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>The collage could not be sent to the printer.</source>
        <translation>Die Collage konnte nicht an den Drucker gesendet werden.</translation>
    </message>
    <message>
        <source>Fill Page</source>
        <translation>Seite füllen</translation>
    </message>
    <message>
        <source>Preparing the collage for the printer...</source>
        <translation>Die Collage wird für den Drucker vorbereitet...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>There is not enough memory to render the collage for this page.</source>
        <translation>Der Speicher reicht nicht, um die Collage für diese Seite zu berechnen.</translation>
    </message>
    <message>
        <source>One photo could not be decoded and was left out of the print.</source>
        <translation>Ein Foto konnte nicht dekodiert werden und fehlt im Druck.</translation>
    </message>
    <message numerus="yes">
        <source>%n photos could not be decoded and were left out of the print.</source>
        <translation>
            <numerusform>%n Foto konnte nicht dekodiert werden und fehlt im Druck.</numerusform>
            <numerusform>%n Fotos konnten nicht dekodiert werden und fehlen im Druck.</numerusform>
        </translation>
    </message>
    <message>
        <source>Export PDF</source>
        <translation>PDF exportieren</translation>
    </message>
    <message>
        <source>PDF (*.pdf)</source>
        <translation>PDF (*.pdf)</translation>
    </message>
</context>
<context>
    <name>ProjectController</name>
    <message>
        <source>Vellomir projects (*.%1)</source>
        <translation>Vellomir-Projekte (*.%1)</translation>
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
        <source>Cannot open %1: %2</source>
        <translation>%1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
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
    <message>
        <source>Save Project</source>
        <translation>Projekt speichern</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>No Recent Projects</source>
        <translation>&amp;Keine zuletzt geöffneten Projekte</translation>
    </message>
    <message>
        <source>%1 has unsaved changes from %2, when Vellomir did not close properly.
Do you want to restore them?</source>
        <translation>%1 hat nicht gespeicherte Änderungen vom %2, als Vellomir nicht ordnungsgemäß beendet wurde.
Möchten Sie sie wiederherstellen?</translation>
    </message>
    <message>
        <source>One photo of %1 has changed since it was saved:</source>
        <translation>Ein Foto von %1 wurde seit dem Speichern geändert:</translation>
    </message>
    <message numerus="yes">
        <source>%n photos of %1 have changed since it was saved:</source>
        <translation>
            <numerusform>%n Foto von %1 wurde seit dem Speichern geändert:</numerusform>
            <numerusform>%n Fotos von %1 wurden seit dem Speichern geändert:</numerusform>
        </translation>
    </message>
    <message>
        <source>An untitled collage</source>
        <translation>Eine unbenannte Collage</translation>
    </message>
    <message>
        <source>Restore Collage</source>
        <translation>Collage wiederherstellen</translation>
    </message>
    <message>
        <source>Vellomir did not close properly.
%1 has changes from %2 that were not saved.</source>
        <translation>Vellomir wurde nicht ordnungsgemäß beendet.
%1 hat nicht gespeicherte Änderungen vom %2.</translation>
    </message>
    <message>
        <source>&amp;Restore</source>
        <translation>&amp;Wiederherstellen</translation>
    </message>
    <message>
        <source>&amp;Discard</source>
        <translation>&amp;Verwerfen</translation>
    </message>
    <message>
        <source>&amp;Later</source>
        <translation>&amp;Später</translation>
    </message>
    <message>
        <source>Cannot restore %1: %2</source>
        <translation>%1 kann nicht wiederhergestellt werden: %2</translation>
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
    <message>
        <source>a photo&apos;s turn is not usable</source>
        <translation>die Drehung eines Fotos ist ungültig</translation>
    </message>
    <message>
        <source>a photo&apos;s emphasis is not usable</source>
        <translation>die Gewichtung eines Fotos ist ungültig</translation>
    </message>
    <message>
        <source>the resolution is not usable</source>
        <translation>die Auflösung ist ungültig</translation>
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
        <translation>&lt;h3&gt;Vellomir&lt;/h3&gt;&lt;p&gt;Dieses Programm gestaltet Fotocollagen. Es entwirft Layouts im Handumdrehen und erzeugt jedes Mal ein neues, einzigartiges Layout.&lt;/p&gt;&lt;p&gt;Version: %1&lt;/p&gt;&lt;p&gt;&lt;a href=&quot;https://vellomir.org/&quot;&gt;vellomir.org&lt;/a&gt;&lt;/p&gt;&lt;p&gt;Copyright &amp;copy; 2026 Vellomir&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>Recovery</name>
    <message>
        <source>cannot be read</source>
        <translation>kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>not a recovery file</source>
        <translation>keine Wiederherstellungsdatei</translation>
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
        <translation> 800 x  600 px             </translation>
    </message>
    <message>
        <source>1000 x  750 px             </source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation>1000 x  750 px             </translation>
    </message>
    <message>
        <source>1500 x 1051 px   (9 x 13)cm</source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation>1500 x 1051 px   (9 x 13)cm</translation>
    </message>
    <message>
        <source>1795 x 1205 px  (10 x 15)cm</source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation>1795 x 1205 px  (10 x 15)cm</translation>
    </message>
    <message>
        <source>1800 x 1350 px             </source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation>1800 x 1350 px             </translation>
    </message>
    <message>
        <source>2102 x 1500 px  (13 x 18)cm</source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation>2102 x 1500 px  (13 x 18)cm</translation>
    </message>
    <message>
        <source>2398 x 1795 px             </source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation>2398 x 1795 px             </translation>
    </message>
    <message>
        <source>3000 x 2398 px  (20 x 25)cm</source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation>3000 x 2398 px  (20 x 25)cm</translation>
    </message>
    <message>
        <source>3602 x 2398 px  (20 x 30)cm</source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation>3602 x 2398 px  (20 x 30)cm</translation>
    </message>
    <message>
        <source>3602 x 3000 px             </source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation>3602 x 3000 px             </translation>
    </message>
    <message>
        <source>4205 x 3295 px  (28 x 36)cm</source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation>4205 x 3295 px  (28 x 36)cm</translation>
    </message>
    <message>
        <source>4500 x 3000 px             </source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation>4500 x 3000 px             </translation>
    </message>
    <message>
        <source>4500 x 3602 px             </source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation>4500 x 3602 px             </translation>
    </message>
    <message>
        <source>5102 x 3295 px             </source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation>5102 x 3295 px             </translation>
    </message>
    <message>
        <source>5492 x 3602 px             </source>
        <translatorcomment>Left untranslated on purpose: the dialog shows the English label.</translatorcomment>
        <translation>5492 x 3602 px             </translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>Benutzerdefiniert</translation>
    </message>
    <message>
        <source>Paper</source>
        <translation>Papier</translation>
    </message>
    <message>
        <source>No paper</source>
        <translation>Kein Papier</translation>
    </message>
    <message>
        <source> dpi</source>
        <translation> dpi</translation>
    </message>
    <message>
        <source>Paper:</source>
        <translation>Papier:</translation>
    </message>
    <message>
        <source>Unit:</source>
        <translation>Einheit:</translation>
    </message>
    <message>
        <source>Size:</source>
        <translation>Größe:</translation>
    </message>
    <message>
        <source>Resolution:</source>
        <translation>Auflösung:</translation>
    </message>
    <message>
        <source>A5 (148 x 210 mm)</source>
        <translation>A5 (148 x 210 mm)</translation>
    </message>
    <message>
        <source>A4 (210 x 297 mm)</source>
        <translation>A4 (210 x 297 mm)</translation>
    </message>
    <message>
        <source>A3 (297 x 420 mm)</source>
        <translation>A3 (297 x 420 mm)</translation>
    </message>
    <message>
        <source>A2 (420 x 594 mm)</source>
        <translation>A2 (420 x 594 mm)</translation>
    </message>
    <message>
        <source>US Letter (8.5 x 11 in)</source>
        <translation>US Letter (8,5 x 11 Zoll)</translation>
    </message>
    <message>
        <source>US Legal (8.5 x 14 in)</source>
        <translation>US Legal (8,5 x 14 Zoll)</translation>
    </message>
    <message>
        <source>Tabloid (11 x 17 in)</source>
        <translation>Tabloid (11 x 17 Zoll)</translation>
    </message>
    <message>
        <source>Photo 10 x 15 cm</source>
        <translation>Foto 10 x 15 cm</translation>
    </message>
    <message>
        <source>Photo 13 x 18 cm</source>
        <translation>Foto 13 x 18 cm</translation>
    </message>
    <message>
        <source>Photo 15 x 20 cm</source>
        <translation>Foto 15 x 20 cm</translation>
    </message>
    <message>
        <source>Photo 20 x 30 cm</source>
        <translation>Foto 20 x 30 cm</translation>
    </message>
    <message>
        <source>Photo 4 x 6 in</source>
        <translation>Foto 4 x 6 Zoll</translation>
    </message>
    <message>
        <source>Photo 5 x 7 in</source>
        <translation>Foto 5 x 7 Zoll</translation>
    </message>
    <message>
        <source>Photo 8 x 10 in</source>
        <translation>Foto 8 x 10 Zoll</translation>
    </message>
</context>
<context>
    <name>StatusWidget</name>
    <message>
        <source>New layout</source>
        <translation>Neues Layout</translation>
    </message>
</context>
</TS>
