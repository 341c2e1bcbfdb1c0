<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name>CanvasGestures</name>
    <message>
        <source>Click the photo to swap with this one.</source>
        <translation>Haga clic en la foto con la que desea intercambiar esta.</translation>
    </message>
    <message>
        <source>&amp;Remove Photo</source>
        <translation>&amp;Quitar foto</translation>
    </message>
    <message>
        <source>&amp;Swap with...</source>
        <translation>&amp;Intercambiar con...</translation>
    </message>
    <message>
        <source>Rotate &amp;Left</source>
        <translation>Girar a la i&amp;zquierda</translation>
    </message>
    <message>
        <source>Rotate Ri&amp;ght</source>
        <translation>Girar a la &amp;derecha</translation>
    </message>
    <message>
        <source>Re&amp;place Photo...</source>
        <translation>&amp;Reemplazar foto...</translation>
    </message>
    <message>
        <source>Replace Photo</source>
        <translation>Reemplazar foto</translation>
    </message>
    <message>
        <source>Make L&amp;arger</source>
        <translation>&amp;Agrandar</translation>
    </message>
    <message>
        <source>Make S&amp;maller</source>
        <translation>Red&amp;ucir</translation>
    </message>
    <message>
        <source>&amp;Automatic Crop</source>
        <translation>Re&amp;corte automático</translation>
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
    <message>
        <source>Background colour</source>
        <translation>Color de fondo</translation>
    </message>
    <message>
        <source>Rectangular frame</source>
        <translation>Marco rectangular</translation>
    </message>
    <message>
        <source>Rounded frame</source>
        <translation>Marco redondeado</translation>
    </message>
    <message>
        <source>Scalloped frame</source>
        <translation>Marco festoneado</translation>
    </message>
    <message>
        <source>Margin: %1 px</source>
        <translation>Margen: %1 px</translation>
    </message>
    <message>
        <source>Arc: %1 px</source>
        <translation>Arco: %1 px</translation>
    </message>
    <message>
        <source>Corner: %1 px</source>
        <translation>Esquina: %1 px</translation>
    </message>
    <message>
        <source>Margin: %1 mm</source>
        <translation>Margen: %1 mm</translation>
    </message>
    <message>
        <source>Arc: %1 mm</source>
        <translation>Arco: %1 mm</translation>
    </message>
    <message>
        <source>Corner: %1 mm</source>
        <translation>Esquina: %1 mm</translation>
    </message>
    <message>
        <source>Keep faces in view</source>
        <translation>Mantener las caras a la vista</translation>
    </message>
    <message>
        <source>Crop each photo around the faces or the subject it shows</source>
        <translation>Recortar cada foto en torno a las caras o al motivo que muestra</translation>
    </message>
</context>
<context>
    <name>CollageDocument</name>
    <message>
        <source>the file is missing</source>
        <translation>falta el archivo</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>no es un archivo normal</translation>
    </message>
    <message>
        <source>cannot be read as a photo</source>
        <translation>no se puede leer como foto</translation>
    </message>
    <message>
        <source>the photo has changed since the project was saved and is shown as it is now</source>
        <translation>la foto ha cambiado desde que se guardó el proyecto y se muestra tal como es ahora</translation>
    </message>
</context>
<context>
    <name>CollageFile</name>
    <message>
        <source>unsupported file type</source>
        <translation>tipo de archivo no admitido</translation>
    </message>
    <message>
        <source>there is no image to save</source>
        <translation>no hay ninguna imagen que guardar</translation>
    </message>
    <message>
        <source>the file name is too long: saving first writes a temporary file whose name is %1 bytes longer, so the name may be at most %2 bytes</source>
        <translation>el nombre del archivo es demasiado largo: al guardar se escribe primero un archivo temporal cuyo nombre tiene %1 bytes más, así que el nombre puede tener como máximo %2 bytes</translation>
    </message>
    <message>
        <source>No space left on device</source>
        <translation>No queda espacio en el dispositivo</translation>
    </message>
    <message>
        <source>the file cannot be created</source>
        <translation>no se puede crear el archivo</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>Permiso denegado</translation>
    </message>
    <message>
        <source>the finished file cannot take its name</source>
        <translation>el archivo terminado no puede recibir su nombre</translation>
    </message>
    <message>
        <source>the file cannot be written</source>
        <translation>no se puede escribir el archivo</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>no es un archivo normal</translation>
    </message>
</context>
<context>
    <name>CollageRender</name>
    <message>
        <source>cannot decode</source>
        <translation>no se puede decodificar</translation>
    </message>
</context>
<context>
    <name>CollageSession</name>
    <message>
        <source>already in the collage</source>
        <translation>ya está en el collage</translation>
    </message>
    <message>
        <source>not a photo Vellomir can use</source>
        <translation>no es una foto que Vellomir pueda usar</translation>
    </message>
    <message>
        <source>Add Photos</source>
        <translation>Adición de fotos</translation>
    </message>
    <message>
        <source>Shuffle</source>
        <translation>Mezcla</translation>
    </message>
    <message>
        <source>cannot decode (%1)</source>
        <translation>no se puede decodificar (%1)</translation>
    </message>
    <message>
        <source>Swap</source>
        <translation>Intercambio de fotos</translation>
    </message>
    <message>
        <source>Remove Photo</source>
        <translation>Eliminación de foto</translation>
    </message>
    <message>
        <source>Rotate Left</source>
        <translation>Giro a la izquierda</translation>
    </message>
    <message>
        <source>Rotate Right</source>
        <translation>Giro a la derecha</translation>
    </message>
    <message>
        <source>Move Photo</source>
        <translation>Desplazamiento de foto</translation>
    </message>
    <message>
        <source>Frame Change</source>
        <translation>Cambio de marco</translation>
    </message>
    <message>
        <source>Background Change</source>
        <translation>Cambio de fondo</translation>
    </message>
    <message>
        <source>New Canvas</source>
        <translation>Nuevo lienzo</translation>
    </message>
    <message>
        <source>Canvas Size</source>
        <translation>Cambio de tamaño del lienzo</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>error desconocido</translation>
    </message>
    <message>
        <source>the folder holds no photos</source>
        <translation>la carpeta no contiene fotos</translation>
    </message>
    <message>
        <source>One photo was not added: the collage holds at most %1</source>
        <translation>Una foto no se ha añadido: el collage admite como máximo %1</translation>
    </message>
    <message numerus="yes">
        <source>%n photos were not added: the collage holds at most %1</source>
        <translation>
            <numerusform>%n foto no se ha añadido: el collage admite como máximo %1</numerusform>
            <numerusform>%n fotos no se han añadido: el collage admite como máximo %1</numerusform>
        </translation>
    </message>
    <message>
        <source>Replace Photo</source>
        <translation>Reemplazar foto</translation>
    </message>
    <message>
        <source>it is being restored by another window</source>
        <translation>otra ventana lo está restaurando</translation>
    </message>
    <message>
        <source>Make Larger</source>
        <translation>Agrandar</translation>
    </message>
    <message>
        <source>Make Smaller</source>
        <translation>Reducir</translation>
    </message>
    <message>
        <source>Automatic Crop</source>
        <translation>Recorte automático</translation>
    </message>
    <message>
        <source>Keep Faces in View</source>
        <translation>Mantener las caras a la vista</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Archivo</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>A&amp;yuda</translation>
    </message>
    <message>
        <source>&amp;New Canvas...</source>
        <translation>&amp;Nuevo lienzo...</translation>
    </message>
    <message>
        <source>Add &amp;Folder...</source>
        <translation>Agregar car&amp;peta...</translation>
    </message>
    <message>
        <source>Add &amp;Photo(s)...</source>
        <translation>Agregar &amp;fotos...</translation>
    </message>
    <message>
        <source>&amp;Save Collage As...</source>
        <translation>Guardar co&amp;llage como...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Salir</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;Acerca de Vellomir</translation>
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
        <source>Cannot save %1: only JPEG (.jpg, .jpeg), PNG (.png) and PDF (.pdf) files are supported.</source>
        <translation>No se puede guardar %1: solo se admiten archivos JPEG (.jpg, .jpeg), PNG (.png) y PDF (.pdf).</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>No se puede escribir %1: %2</translation>
    </message>
    <message>
        <source>Add Photos</source>
        <translation>Adición de fotos</translation>
    </message>
    <message>
        <source>New Canvas</source>
        <translation>Nuevo lienzo</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>&amp;Open Project...</source>
        <translation>&amp;Abrir proyecto...</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>Save Pro&amp;ject</source>
        <translation>&amp;Guardar proyecto</translation>
    </message>
    <message>
        <source>Ctrl+Shift+S</source>
        <translation>Ctrl+Shift+S</translation>
    </message>
    <message>
        <source>Save Project &amp;As...</source>
        <translation>Guardar proyecto &amp;como...</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Deshacer</translation>
    </message>
    <message>
        <source>Ctrl+Z</source>
        <translation>Ctrl+Z</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Rehacer</translation>
    </message>
    <message>
        <source>Ctrl+Shift+Z</source>
        <translation>Ctrl+Shift+Z</translation>
    </message>
    <message>
        <source>Open &amp;Recent</source>
        <translation>Abrir &amp;reciente</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Editar</translation>
    </message>
    <message numerus="yes">
        <source>…and %n more</source>
        <translation>
            <numerusform>…y %n más</numerusform>
            <numerusform>…y %n más</numerusform>
        </translation>
    </message>
    <message>
        <source>One file was not added:</source>
        <translation>No se ha agregado un archivo:</translation>
    </message>
    <message numerus="yes">
        <source>%n files were not added:</source>
        <translation>
            <numerusform>No se ha agregado %n archivo:</numerusform>
            <numerusform>No se han agregado %n archivos:</numerusform>
        </translation>
    </message>
    <message>
        <source>One photo could not be decoded and was left out:</source>
        <translation>Una foto no se pudo decodificar y se ha dejado fuera:</translation>
    </message>
    <message numerus="yes">
        <source>%n photos could not be decoded and were left out:</source>
        <translation>
            <numerusform>%n foto no se pudo decodificar y se ha dejado fuera:</numerusform>
            <numerusform>%n fotos no se pudieron decodificar y se han dejado fuera:</numerusform>
        </translation>
    </message>
    <message>
        <source>No photos</source>
        <translation>Sin fotos</translation>
    </message>
    <message>
        <source>1 photo</source>
        <translation>1 foto</translation>
    </message>
    <message numerus="yes">
        <source>%n photos</source>
        <translation>
            <numerusform>%n foto</numerusform>
            <numerusform>%n fotos</numerusform>
        </translation>
    </message>
    <message>
        <source>Canvas Size</source>
        <translation>Cambio de tamaño del lienzo</translation>
    </message>
    <message>
        <source>Drag a photo onto another to swap them, Shift+drag to move it in its tile; right-click for more.</source>
        <translation>Arrastre una foto sobre otra para intercambiarlas, Mayús+arrastrar la mueve dentro de su celda; clic derecho para más opciones.</translation>
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
        <translation>No se puede guardar %1: es una de las fotos del collage.</translation>
    </message>
    <message>
        <source>Canvas Si&amp;ze...</source>
        <translation>&amp;Tamaño del lienzo...</translation>
    </message>
    <message>
        <source>Zoom &amp;In</source>
        <translation>&amp;Ampliar</translation>
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
        <translation>&amp;Reducir</translation>
    </message>
    <message>
        <source>Ctrl+-</source>
        <translation>Ctrl+-</translation>
    </message>
    <message>
        <source>&amp;Fit</source>
        <translation>A&amp;justar</translation>
    </message>
    <message>
        <source>Ctrl+0</source>
        <translation>Ctrl+0</translation>
    </message>
    <message>
        <source>&amp;Actual Size</source>
        <translation>&amp;Tamaño real</translation>
    </message>
    <message>
        <source>Ctrl+1</source>
        <translation>Ctrl+1</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ver</translation>
    </message>
    <message>
        <source>Vellomir closes once the collage is saved.</source>
        <translation>Vellomir se cerrará en cuanto se guarde el collage.</translation>
    </message>
    <message>
        <source>Add photos with File &gt; Add Folder, or drop them here</source>
        <translation>Agregue fotos con Archivo &gt; Agregar carpeta o suéltelas aquí</translation>
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
        <translation>pulg.</translation>
    </message>
    <message>
        <source>px</source>
        <translation>px</translation>
    </message>
    <message>
        <source>One photo is damaged and is shown as far as it goes:</source>
        <translation>Una foto está dañada y se muestra hasta donde llega:</translation>
    </message>
    <message numerus="yes">
        <source>%n photos are damaged and are shown as far as they go:</source>
        <translation>
            <numerusform>%n foto está dañada y se muestra hasta donde llega:</numerusform>
            <numerusform>%n fotos están dañadas y se muestran hasta donde llegan:</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>PdfPageDialog</name>
    <message>
        <source>Export PDF</source>
        <translation>Exportar PDF</translation>
    </message>
    <message>
        <source>The canvas: %1 x %2 mm at %3 dpi</source>
        <translation>El lienzo: %1 x %2 mm a %3 ppp</translation>
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
        <source>The background and the outer photos reach this far past the page&apos;s edge, for a print lab to trim.</source>
        <translation>El fondo y las fotos exteriores sobrepasan el borde de la página esta distancia, para que la imprenta recorte.</translation>
    </message>
    <message>
        <source>Page:</source>
        <translation>Página:</translation>
    </message>
    <message>
        <source>Orientation:</source>
        <translation>Orientación:</translation>
    </message>
    <message>
        <source>Bleed:</source>
        <translation>Sangrado:</translation>
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
        <translation>no se puede leer</translation>
    </message>
    <message>
        <source>no such file</source>
        <translation>no existe el archivo</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>no es un archivo normal</translation>
    </message>
    <message>
        <source>not a usable image</source>
        <translation>no es una imagen utilizable</translation>
    </message>
    <message>
        <source>no image reader for %1 is installed</source>
        <translation>no hay ningún lector de imágenes instalado para %1</translation>
    </message>
    <message>
        <source>%1 x %2 pixels, more than the %3 a side a collage takes</source>
        <translation>%1 x %2 píxeles, más de los %3 por lado que admite un collage</translation>
    </message>
    <message>
        <source>a progressive JPEG of %1 x %2 pixels needs %3 MB to decode, more than the %4 MB a photo may take</source>
        <translation>un JPEG progresivo de %1 x %2 píxeles necesita %3 MB para decodificarse, más de los %4 MB que puede ocupar una foto</translation>
    </message>
    <message>
        <source>%1 x %2 pixels need %3 MB to decode, more than the %4 MB a photo may take</source>
        <translation>%1 x %2 píxeles necesitan %3 MB para decodificarse, más de los %4 MB que puede ocupar una foto</translation>
    </message>
    <message>
        <source>needs %1 MB to decode</source>
        <translation>necesita %1 MB para decodificarse</translation>
    </message>
    <message>
        <source>the JPEG header runs on without a picture</source>
        <translation>la cabecera JPEG continúa sin ninguna imagen</translation>
    </message>
    <message>
        <source>the file ends before the end of the picture</source>
        <translation>el archivo termina antes del final de la imagen</translation>
    </message>
    <message>
        <source>the file ends before most of the picture</source>
        <translation>el archivo termina antes de la mayor parte de la imagen</translation>
    </message>
</context>
<context>
    <name>PhotoScan</name>
    <message>
        <source>the name is not valid in the locale&apos;s encoding</source>
        <translation>el nombre no es válido en la codificación de caracteres del sistema</translation>
    </message>
    <message>
        <source>not a photo format</source>
        <translation>no es un formato de foto</translation>
    </message>
</context>
<context>
    <name>PrintController</name>
    <message>
        <source>&amp;Print...</source>
        <translation>&amp;Imprimir...</translation>
    </message>
    <message>
        <source>Ctrl+P</source>
        <translation>Ctrl+P</translation>
    </message>
    <message>
        <source>Print Pre&amp;view...</source>
        <translation>&amp;Vista previa de impresión...</translation>
    </message>
    <message>
        <source>&amp;Export PDF...</source>
        <translation>&amp;Exportar PDF...</translation>
    </message>
    <message>
        <source>Collage</source>
        <translation>Collage</translation>
    </message>
    <message>
        <source>Fill the page, cutting away the least of the collage</source>
        <translation>Llenar la página recortando lo mínimo del collage</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Imprimir</translation>
    </message>
    <message>
        <source>The collage could not be sent to the printer.</source>
        <translation>No se pudo enviar el collage a la impresora.</translation>
    </message>
    <message>
        <source>Fill Page</source>
        <translation>Llenar página</translation>
    </message>
    <message>
        <source>Preparing the collage for the printer...</source>
        <translation>Preparando el collage para la impresora...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>There is not enough memory to render the collage for this page.</source>
        <translation>No hay memoria suficiente para preparar el collage para esta página.</translation>
    </message>
    <message>
        <source>One photo could not be decoded and was left out of the print.</source>
        <translation>Una foto no se pudo decodificar y quedó fuera de la impresión.</translation>
    </message>
    <message numerus="yes">
        <source>%n photos could not be decoded and were left out of the print.</source>
        <translation>
            <numerusform>%n foto no se pudo decodificar y quedó fuera de la impresión.</numerusform>
            <numerusform>%n fotos no se pudieron decodificar y quedaron fuera de la impresión.</numerusform>
        </translation>
    </message>
    <message>
        <source>Export PDF</source>
        <translation>Exportar PDF</translation>
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
        <translation>Proyectos de Vellomir (*.%1)</translation>
    </message>
    <message>
        <source>%1[*] — %2</source>
        <translation>%1[*] — %2</translation>
    </message>
    <message>
        <source>The collage has been modified.
Do you want to save it?</source>
        <translation>El collage se ha modificado.
¿Desea guardarlo?</translation>
    </message>
    <message>
        <source>Open Project</source>
        <translation>Abrir proyecto</translation>
    </message>
    <message>
        <source>Cannot open %1: %2</source>
        <translation>No se puede abrir %1: %2</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message numerus="yes">
        <source>…and %n more</source>
        <translation>
            <numerusform>…y %n más</numerusform>
            <numerusform>…y %n más</numerusform>
        </translation>
    </message>
    <message>
        <source>One photo of %1 could not be used and was left out of the collage:</source>
        <translation>Una foto de %1 no se pudo usar y se ha dejado fuera del collage:</translation>
    </message>
    <message numerus="yes">
        <source>%n photos of %1 could not be used and were left out of the collage:</source>
        <translation>
            <numerusform>%n foto de %1 no se pudo usar y se ha dejado fuera del collage:</numerusform>
            <numerusform>%n fotos de %1 no se pudieron usar y se han dejado fuera del collage:</numerusform>
        </translation>
    </message>
    <message>
        <source>Save Project</source>
        <translation>Guardar proyecto</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>No se puede escribir %1: %2</translation>
    </message>
    <message>
        <source>No Recent Projects</source>
        <translation>&amp;No hay proyectos recientes</translation>
    </message>
    <message>
        <source>%1 has unsaved changes from %2, when Vellomir did not close properly.
Do you want to restore them?</source>
        <translation>%1 tiene cambios sin guardar del %2, cuando Vellomir no se cerró correctamente.
¿Desea restaurarlos?</translation>
    </message>
    <message>
        <source>One photo of %1 has changed since it was saved:</source>
        <translation>Una foto de %1 ha cambiado desde que se guardó:</translation>
    </message>
    <message numerus="yes">
        <source>%n photos of %1 have changed since it was saved:</source>
        <translation>
            <numerusform>%n foto de %1 ha cambiado desde que se guardó:</numerusform>
            <numerusform>%n fotos de %1 han cambiado desde que se guardó:</numerusform>
        </translation>
    </message>
    <message>
        <source>An untitled collage</source>
        <translation>Un collage sin título</translation>
    </message>
    <message>
        <source>Restore Collage</source>
        <translation>Restaurar collage</translation>
    </message>
    <message>
        <source>Vellomir did not close properly.
%1 has changes from %2 that were not saved.</source>
        <translation>Vellomir no se cerró correctamente.
%1 tiene cambios del %2 que no se guardaron.</translation>
    </message>
    <message>
        <source>&amp;Restore</source>
        <translation>&amp;Restaurar</translation>
    </message>
    <message>
        <source>&amp;Discard</source>
        <translation>&amp;Descartar</translation>
    </message>
    <message>
        <source>&amp;Later</source>
        <translation>&amp;Más tarde</translation>
    </message>
    <message>
        <source>Cannot restore %1: %2</source>
        <translation>No se puede restaurar %1: %2</translation>
    </message>
</context>
<context>
    <name>ProjectFile</name>
    <message>
        <source>a photo has no path</source>
        <translation>una foto no tiene ruta</translation>
    </message>
    <message>
        <source>a photo&apos;s size is not usable</source>
        <translation>el tamaño de una foto no es válido</translation>
    </message>
    <message>
        <source>a photo&apos;s orientation is not usable</source>
        <translation>la orientación de una foto no es válida</translation>
    </message>
    <message>
        <source>a photo&apos;s crop is not usable</source>
        <translation>el recorte de una foto no es válido</translation>
    </message>
    <message>
        <source>the file is damaged or not a project</source>
        <translation>el archivo está dañado o no es un proyecto</translation>
    </message>
    <message>
        <source>not a Vellomir project</source>
        <translation>no es un proyecto de Vellomir</translation>
    </message>
    <message>
        <source>made by a newer version of Vellomir</source>
        <translation>creado con una versión más reciente de Vellomir</translation>
    </message>
    <message>
        <source>the project file is damaged</source>
        <translation>el archivo de proyecto está dañado</translation>
    </message>
    <message>
        <source>the canvas size is not usable</source>
        <translation>el tamaño del lienzo no es válido</translation>
    </message>
    <message>
        <source>the background colour is not usable</source>
        <translation>el color de fondo no es válido</translation>
    </message>
    <message>
        <source>the frame is not usable</source>
        <translation>el marco no es válido</translation>
    </message>
    <message>
        <source>more than %1 photos</source>
        <translation>más de %1 fotos</translation>
    </message>
    <message>
        <source>the layout does not match the photos</source>
        <translation>la disposición no coincide con las fotos</translation>
    </message>
    <message>
        <source>the file does not exist</source>
        <translation>el archivo no existe</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>no es un archivo normal</translation>
    </message>
    <message>
        <source>the file is too large for a project</source>
        <translation>el archivo es demasiado grande para ser un proyecto</translation>
    </message>
    <message>
        <source>cannot read the file: %1</source>
        <translation>no se puede leer el archivo: %1</translation>
    </message>
    <message>
        <source>the project cannot be stored: %1</source>
        <translation>no se puede guardar el proyecto: %1</translation>
    </message>
    <message>
        <source>a photo&apos;s turn is not usable</source>
        <translation>el giro de una foto no es válido</translation>
    </message>
    <message>
        <source>a photo&apos;s emphasis is not usable</source>
        <translation>el énfasis de una foto no es válido</translation>
    </message>
    <message>
        <source>the resolution is not usable</source>
        <translation>la resolución no es válida</translation>
    </message>
</context>
<context>
    <name>QFileDialog</name>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>El fichero %1 ya existe.
¿Desea reemplazarlo?</translation>
    </message>
</context>
<context>
    <name>QMessageBox</name>
    <message>
        <source>&lt;h3&gt;Vellomir&lt;/h3&gt;&lt;p&gt;This program is a photo collage software. It allows you to create layouts quickly and  generate unique layout each time.&lt;/p&gt;&lt;p&gt;version: %1&lt;/p&gt;&lt;p&gt;&lt;a href=&quot;https://vellomir.org/&quot;&gt;vellomir.org&lt;/a&gt;&lt;/p&gt;&lt;p&gt;Copyright &amp;copy; 2026 Vellomir&lt;/p&gt;</source>
        <translatorcomment>Left untranslated on purpose: the about text stays English.</translatorcomment>
        <translation>&lt;h3&gt;Vellomir&lt;/h3&gt;&lt;p&gt;Este programa crea collages de fotos. Permite diseñar disposiciones rápidamente y genera una disposición única cada vez.&lt;/p&gt;&lt;p&gt;versión: %1&lt;/p&gt;&lt;p&gt;&lt;a href=&quot;https://vellomir.org/&quot;&gt;vellomir.org&lt;/a&gt;&lt;/p&gt;&lt;p&gt;Copyright &amp;copy; 2026 Vellomir&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>Recovery</name>
    <message>
        <source>cannot be read</source>
        <translation>no se puede leer</translation>
    </message>
    <message>
        <source>not a recovery file</source>
        <translation>no es un archivo de recuperación</translation>
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
        <translation>Personalizado</translation>
    </message>
    <message>
        <source>Paper</source>
        <translation>Papel</translation>
    </message>
    <message>
        <source>No paper</source>
        <translation>Sin papel</translation>
    </message>
    <message>
        <source> dpi</source>
        <translation> ppp</translation>
    </message>
    <message>
        <source>Paper:</source>
        <translation>Papel:</translation>
    </message>
    <message>
        <source>Unit:</source>
        <translation>Unidad:</translation>
    </message>
    <message>
        <source>Size:</source>
        <translation>Tamaño:</translation>
    </message>
    <message>
        <source>Resolution:</source>
        <translation>Resolución:</translation>
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
        <translation>Carta EE. UU. (8,5 x 11 pulg.)</translation>
    </message>
    <message>
        <source>US Legal (8.5 x 14 in)</source>
        <translation>Oficio EE. UU. (8,5 x 14 pulg.)</translation>
    </message>
    <message>
        <source>Tabloid (11 x 17 in)</source>
        <translation>Tabloide (11 x 17 pulg.)</translation>
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
        <translation>Foto 4 x 6 pulg.</translation>
    </message>
    <message>
        <source>Photo 5 x 7 in</source>
        <translation>Foto 5 x 7 pulg.</translation>
    </message>
    <message>
        <source>Photo 8 x 10 in</source>
        <translation>Foto 8 x 10 pulg.</translation>
    </message>
</context>
<context>
    <name>StatusWidget</name>
    <message>
        <source>New layout</source>
        <translation>Nueva disposición</translation>
    </message>
</context>
</TS>
