<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
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
        <source>*.jpg</source>
        <translation>*.jpg</translation>
    </message>
    <message>
        <source>*.jpeg</source>
        <translation>*.jpeg</translation>
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
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1000 x  750 px             </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1500 x 1051 px   (9 x 13)cm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1795 x 1205 px  (10 x 15)cm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1800 x 1350 px             </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2102 x 1500 px  (13 x 18)cm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2398 x 1795 px             </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3000 x 2398 px  (20 x 25)cm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3602 x 2398 px  (20 x 30)cm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3602 x 3000 px             </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>4205 x 3295 px  (28 x 36)cm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>4500 x 3000 px             </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>4500 x 3602 px             </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>5102 x 3295 px             </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>5492 x 3602 px             </source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
