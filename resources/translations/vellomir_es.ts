<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;File</source>
        <translation>Archivo</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>Ayuda</translation>
    </message>
    <message>
        <source>&amp;New Canvas...</source>
        <translation>Nuevo Lienzo...</translation>
    </message>
    <message>
        <source>Add &amp;Folder...</source>
        <translation>Agregar carpeta...</translation>
    </message>
    <message>
        <source>Add &amp;Photo(s)...</source>
        <translation>Agregar fotos...</translation>
    </message>
    <message>
        <source>&amp;Save Collage As...</source>
        <translation>Guardar como...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>Salir</translation>
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
        <translation>Agregar Carpeta...</translation>
    </message>
    <message>
        <source>Add Photo(s)</source>
        <translation>Agregar Fotos...</translation>
    </message>
    <message>
        <source>Photos (*.jpg *.jpeg)</source>
        <translation>Fotos (*.jpg *.jpeg)</translation>
    </message>
    <message>
        <source>Save Collage</source>
        <translation>Guardar como...</translation>
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
        <translation>No se puede guardar %1: solo se admiten archivos JPEG (.jpg, .jpeg) y PNG (.png).</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>No se puede escribir %1: %2</translation>
    </message>
    <message>
        <source>unsupported file type</source>
        <translation>tipo de archivo no admitido</translation>
    </message>
    <message>
        <source>there is no image to save</source>
        <translation>no hay ninguna imagen que guardar</translation>
    </message>
</context>
<context>
    <name>CanvasSettings</name>
    <message>
        <source>Background</source>
        <translation>Fondo</translation>
    </message>
    <message>
        <source>Frame</source>
        <translation>Marco de foto</translation>
    </message>
</context>
<context>
    <name>SizeWidget</name>
    <message>
        <source>Size</source>
        <translation>Tamaño</translation>
    </message>
    <message>
        <source>Orientation</source>
        <translation>Orientación</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>Vertical</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>Horizontal</translation>
    </message>
    <message>
        <source> 800 x  600 px             </source>
        <translation> 800 x  600 px             </translation>
    </message>
    <message>
        <source>1000 x  750 px             </source>
        <translation>1000 x  750 px             </translation>
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
