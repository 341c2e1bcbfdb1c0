<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="bg_BG">
<context>
    <name>CanvasGestures</name>
    <message>
        <source>Click the photo to swap with this one.</source>
        <translation>Щракнете върху снимката, с която да бъде разменена тази.</translation>
    </message>
    <message>
        <source>&amp;Remove Photo</source>
        <translation>&amp;Премахни снимката</translation>
    </message>
    <message>
        <source>&amp;Swap with...</source>
        <translation>&amp;Размени с...</translation>
    </message>
    <message>
        <source>Rotate &amp;Left</source>
        <translation>Завърти на&amp;ляво</translation>
    </message>
    <message>
        <source>Rotate Ri&amp;ght</source>
        <translation>Завърти на&amp;дясно</translation>
    </message>
    <message>
        <source>Re&amp;place Photo...</source>
        <translation>&amp;Замяна на снимката...</translation>
    </message>
    <message>
        <source>Replace Photo</source>
        <translation>Замяна на снимката</translation>
    </message>
    <message>
        <source>Make L&amp;arger</source>
        <translation>&amp;Увеличи</translation>
    </message>
    <message>
        <source>Make S&amp;maller</source>
        <translation>&amp;Намали</translation>
    </message>
    <message>
        <source>&amp;Automatic Crop</source>
        <translation>&amp;Автоматично изрязване</translation>
    </message>
</context>
<context>
    <name>CanvasSettings</name>
    <message>
        <source>Background</source>
        <translation>Фон</translation>
    </message>
    <message>
        <source>Frame</source>
        <translation>Рамка</translation>
    </message>
    <message>
        <source>Background colour</source>
        <translation>Цвят на фона</translation>
    </message>
    <message>
        <source>Rectangular frame</source>
        <translation>Правоъгълна рамка</translation>
    </message>
    <message>
        <source>Rounded frame</source>
        <translation>Заоблена рамка</translation>
    </message>
    <message>
        <source>Scalloped frame</source>
        <translation>Рамка с дъги</translation>
    </message>
    <message>
        <source>Margin: %1 px</source>
        <translation>Поле: %1 пкс</translation>
    </message>
    <message>
        <source>Arc: %1 px</source>
        <translation>Дъга: %1 пкс</translation>
    </message>
    <message>
        <source>Corner: %1 px</source>
        <translation>Ъгъл: %1 пкс</translation>
    </message>
    <message>
        <source>Margin: %1 mm</source>
        <translation>Поле: %1 мм</translation>
    </message>
    <message>
        <source>Arc: %1 mm</source>
        <translation>Дъга: %1 мм</translation>
    </message>
    <message>
        <source>Corner: %1 mm</source>
        <translation>Ъгъл: %1 мм</translation>
    </message>
    <message>
        <source>Keep faces in view</source>
        <translation>Лицата да остават в кадър</translation>
    </message>
    <message>
        <source>Crop each photo around the faces or the subject it shows</source>
        <translation>Изрязване на всяка снимка около лицата или обекта в нея</translation>
    </message>
</context>
<context>
    <name>CollageDocument</name>
    <message>
        <source>the file is missing</source>
        <translation>файлът липсва</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>не е обикновен файл</translation>
    </message>
    <message>
        <source>cannot be read as a photo</source>
        <translation>не може да бъде прочетен като снимка</translation>
    </message>
    <message>
        <source>the photo has changed since the project was saved and is shown as it is now</source>
        <translation>снимката е променена след запазването на проекта и е показана такава, каквато е сега</translation>
    </message>
</context>
<context>
    <name>CollageFile</name>
    <message>
        <source>unsupported file type</source>
        <translation>неподдържан тип файл</translation>
    </message>
    <message>
        <source>there is no image to save</source>
        <translation>няма изображение за записване</translation>
    </message>
    <message>
        <source>the file name is too long: saving first writes a temporary file whose name is %1 bytes longer, so the name may be at most %2 bytes</source>
        <translation>името на файла е твърде дълго: при записване първо се създава временен файл с име, по-дълго с %1 байта, затова името може да бъде най-много %2 байта</translation>
    </message>
    <message>
        <source>No space left on device</source>
        <translation>Не е останало свободно място на устройството</translation>
    </message>
    <message>
        <source>the file cannot be created</source>
        <translation>файлът не може да бъде създаден</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>Отказан достъп</translation>
    </message>
    <message>
        <source>the finished file cannot take its name</source>
        <translation>готовият файл не може да получи името си</translation>
    </message>
    <message>
        <source>the file cannot be written</source>
        <translation>файлът не може да бъде записан</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>не е обикновен файл</translation>
    </message>
</context>
<context>
    <name>CollageRender</name>
    <message>
        <source>cannot decode</source>
        <translation>не може да се декодира</translation>
    </message>
</context>
<context>
    <name>CollageSession</name>
    <message>
        <source>already in the collage</source>
        <translation>вече е в колажа</translation>
    </message>
    <message>
        <source>not a photo Vellomir can use</source>
        <translation>не е снимка, която Vellomir може да използва</translation>
    </message>
    <message>
        <source>Add Photos</source>
        <translation>Добавяне на снимки</translation>
    </message>
    <message>
        <source>Shuffle</source>
        <translation>Разбъркване</translation>
    </message>
    <message>
        <source>cannot decode (%1)</source>
        <translation>не може да се декодира (%1)</translation>
    </message>
    <message>
        <source>Swap</source>
        <translation>Размяна на снимки</translation>
    </message>
    <message>
        <source>Remove Photo</source>
        <translation>Премахване на снимка</translation>
    </message>
    <message>
        <source>Rotate Left</source>
        <translation>Завъртане наляво</translation>
    </message>
    <message>
        <source>Rotate Right</source>
        <translation>Завъртане надясно</translation>
    </message>
    <message>
        <source>Move Photo</source>
        <translation>Преместване на снимка</translation>
    </message>
    <message>
        <source>Frame Change</source>
        <translation>Смяна на рамката</translation>
    </message>
    <message>
        <source>Background Change</source>
        <translation>Смяна на фона</translation>
    </message>
    <message>
        <source>New Canvas</source>
        <translation>Създаване на ново платно</translation>
    </message>
    <message>
        <source>Canvas Size</source>
        <translation>Смяна на размера на платното</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>неизвестна грешка</translation>
    </message>
    <message>
        <source>the folder holds no photos</source>
        <translation>папката не съдържа снимки</translation>
    </message>
    <message>
        <source>One photo was not added: the collage holds at most %1</source>
        <translation>Една снимка не е добавена: колажът побира най-много %1</translation>
    </message>
    <message numerus="yes">
        <source>%n photos were not added: the collage holds at most %1</source>
        <translation>
            <numerusform>%n снимка не е добавена: колажът побира най-много %1</numerusform>
            <numerusform>%n снимки не са добавени: колажът побира най-много %1</numerusform>
        </translation>
    </message>
    <message>
        <source>Replace Photo</source>
        <translation>Замяна на снимката</translation>
    </message>
    <message>
        <source>it is being restored by another window</source>
        <translation>възстановява се от друг прозорец</translation>
    </message>
    <message>
        <source>Make Larger</source>
        <translation>Увеличи</translation>
    </message>
    <message>
        <source>Make Smaller</source>
        <translation>Намали</translation>
    </message>
    <message>
        <source>Automatic Crop</source>
        <translation>Автоматично изрязване</translation>
    </message>
    <message>
        <source>Keep Faces in View</source>
        <translation>Лицата да остават в кадър</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Файл</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Помощ</translation>
    </message>
    <message>
        <source>&amp;New Canvas...</source>
        <translation>&amp;Ново платно...</translation>
    </message>
    <message>
        <source>Add &amp;Folder...</source>
        <translation>Добавяне на &amp;папки със снимки...</translation>
    </message>
    <message>
        <source>Add &amp;Photo(s)...</source>
        <translation>&amp;Добавяне на снимки...</translation>
    </message>
    <message>
        <source>&amp;Save Collage As...</source>
        <translation>Запиши ко&amp;лажа като...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Изход</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;Относно Vellomir</translation>
    </message>
    <message>
        <source>About Vellomir</source>
        <translation>Vellomir</translation>
    </message>
    <message>
        <source>Add folder</source>
        <translation>Добавяне на папка</translation>
    </message>
    <message>
        <source>Add Photo(s)</source>
        <translation>Добавяне на снимки</translation>
    </message>
    <message>
        <source>Save Collage</source>
        <translation>Запиши като</translation>
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
        <translation>%1 не може да бъде записан: поддържат се само файлове JPEG (.jpg, .jpeg), PNG (.png) и PDF (.pdf).</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 не може да бъде записан: %2</translation>
    </message>
    <message>
        <source>Add Photos</source>
        <translation>Добавяне на снимки</translation>
    </message>
    <message>
        <source>New Canvas</source>
        <translation>Създаване на ново платно</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>&amp;Open Project...</source>
        <translation>&amp;Отвори проект...</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>Save Pro&amp;ject</source>
        <translation>&amp;Запиши проекта</translation>
    </message>
    <message>
        <source>Ctrl+Shift+S</source>
        <translation>Ctrl+Shift+S</translation>
    </message>
    <message>
        <source>Save Project &amp;As...</source>
        <translation>Запиши проекта &amp;като...</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Отмени</translation>
    </message>
    <message>
        <source>Ctrl+Z</source>
        <translation>Ctrl+Z</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Повтори</translation>
    </message>
    <message>
        <source>Ctrl+Shift+Z</source>
        <translation>Ctrl+Shift+Z</translation>
    </message>
    <message>
        <source>Open &amp;Recent</source>
        <translation>&amp;Скорошни проекти</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Редактиране</translation>
    </message>
    <message numerus="yes">
        <source>…and %n more</source>
        <translation>
            <numerusform>…и още %n</numerusform>
            <numerusform>…и още %n</numerusform>
        </translation>
    </message>
    <message>
        <source>One file was not added:</source>
        <translation>Един файл не беше добавен:</translation>
    </message>
    <message numerus="yes">
        <source>%n files were not added:</source>
        <translation>
            <numerusform>%n файл не беше добавен:</numerusform>
            <numerusform>%n файла не бяха добавени:</numerusform>
        </translation>
    </message>
    <message>
        <source>One photo could not be decoded and was left out:</source>
        <translation>Една снимка не може да бъде декодирана и е пропусната:</translation>
    </message>
    <message numerus="yes">
        <source>%n photos could not be decoded and were left out:</source>
        <translation>
            <numerusform>%n снимка не може да бъде декодирана и е пропусната:</numerusform>
            <numerusform>%n снимки не могат да бъдат декодирани и са пропуснати:</numerusform>
        </translation>
    </message>
    <message>
        <source>No photos</source>
        <translation>Няма снимки</translation>
    </message>
    <message>
        <source>1 photo</source>
        <translation>1 снимка</translation>
    </message>
    <message numerus="yes">
        <source>%n photos</source>
        <translation>
            <numerusform>%n снимка</numerusform>
            <numerusform>%n снимки</numerusform>
        </translation>
    </message>
    <message>
        <source>Canvas Size</source>
        <translation>Смяна на размера на платното</translation>
    </message>
    <message>
        <source>Drag a photo onto another to swap them, Shift+drag to move it in its tile; right-click for more.</source>
        <translation>Плъзнете снимка върху друга, за да ги размените, а с Shift+плъзгане я премествате в клетката ѝ; десен бутон за още действия.</translation>
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
        <translation>%1 не може да бъде записан: това е една от снимките в колажа.</translation>
    </message>
    <message>
        <source>Canvas Si&amp;ze...</source>
        <translation>&amp;Размер на платното...</translation>
    </message>
    <message>
        <source>Zoom &amp;In</source>
        <translation>&amp;Увеличаване</translation>
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
        <translation>&amp;Намаляване</translation>
    </message>
    <message>
        <source>Ctrl+-</source>
        <translation>Ctrl+-</translation>
    </message>
    <message>
        <source>&amp;Fit</source>
        <translation>&amp;Побиране в прозореца</translation>
    </message>
    <message>
        <source>Ctrl+0</source>
        <translation>Ctrl+0</translation>
    </message>
    <message>
        <source>&amp;Actual Size</source>
        <translation>&amp;Действителен размер</translation>
    </message>
    <message>
        <source>Ctrl+1</source>
        <translation>Ctrl+1</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Изглед</translation>
    </message>
    <message>
        <source>Vellomir closes once the collage is saved.</source>
        <translation>Vellomir ще се затвори, щом колажът бъде запазен.</translation>
    </message>
    <message>
        <source>Add photos with File &gt; Add Folder, or drop them here</source>
        <translation>Добавете снимки с Файл &gt; Добавяне на папки със снимки или ги пуснете тук</translation>
    </message>
</context>
<context>
    <name>PaperSize</name>
    <message>
        <source>mm</source>
        <translation>мм</translation>
    </message>
    <message>
        <source>cm</source>
        <translation>см</translation>
    </message>
    <message>
        <source>in</source>
        <translation>инча</translation>
    </message>
    <message>
        <source>px</source>
        <translation>пкс</translation>
    </message>
    <message>
        <source>One photo is damaged and is shown as far as it goes:</source>
        <translation>Една снимка е повредена и е показана докъдето стига:</translation>
    </message>
    <message numerus="yes">
        <source>%n photos are damaged and are shown as far as they go:</source>
        <translation>
            <numerusform>%n снимка е повредена и е показана докъдето стига:</numerusform>
            <numerusform>%n снимки са повредени и са показани докъдето стигат:</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>PdfPageDialog</name>
    <message>
        <source>Export PDF</source>
        <translation>Експорт в PDF</translation>
    </message>
    <message>
        <source>The canvas: %1 x %2 mm at %3 dpi</source>
        <translation>Платното: %1 x %2 mm при %3 dpi</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>Портрет</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>Пейзаж</translation>
    </message>
    <message>
        <source>The background and the outer photos reach this far past the page&apos;s edge, for a print lab to trim.</source>
        <translation>Фонът и външните снимки излизат толкова извън ръба на страницата, за да ги отреже печатницата.</translation>
    </message>
    <message>
        <source>Page:</source>
        <translation>Страница:</translation>
    </message>
    <message>
        <source>Orientation:</source>
        <translation>Ориентация:</translation>
    </message>
    <message>
        <source>Bleed:</source>
        <translation>Обрез:</translation>
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
        <translation>Снимки</translation>
    </message>
</context>
<context>
    <name>PhotoLoader</name>
    <message>
        <source>not readable</source>
        <translation>не може да се прочете</translation>
    </message>
    <message>
        <source>no such file</source>
        <translation>няма такъв файл</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>не е обикновен файл</translation>
    </message>
    <message>
        <source>not a usable image</source>
        <translation>не е използваемо изображение</translation>
    </message>
    <message>
        <source>no image reader for %1 is installed</source>
        <translation>няма инсталиран четец на изображения за %1</translation>
    </message>
    <message>
        <source>%1 x %2 pixels, more than the %3 a side a collage takes</source>
        <translation>%1 x %2 пиксела, повече от %3 на страна, колкото приема колажът</translation>
    </message>
    <message>
        <source>a progressive JPEG of %1 x %2 pixels needs %3 MB to decode, more than the %4 MB a photo may take</source>
        <translation>прогресивен JPEG с %1 x %2 пиксела изисква %3 МБ за декодиране, повече от %4 МБ, колкото може да заема една снимка</translation>
    </message>
    <message>
        <source>%1 x %2 pixels need %3 MB to decode, more than the %4 MB a photo may take</source>
        <translation>%1 x %2 пиксела изискват %3 МБ за декодиране, повече от %4 МБ, колкото може да заема една снимка</translation>
    </message>
    <message>
        <source>needs %1 MB to decode</source>
        <translation>изисква %1 МБ за декодиране</translation>
    </message>
    <message>
        <source>the JPEG header runs on without a picture</source>
        <translation>заглавието на JPEG продължава без изображение</translation>
    </message>
    <message>
        <source>the file ends before the end of the picture</source>
        <translation>файлът свършва преди края на изображението</translation>
    </message>
    <message>
        <source>the file ends before most of the picture</source>
        <translation>файлът свършва преди по-голямата част от изображението</translation>
    </message>
</context>
<context>
    <name>PhotoScan</name>
    <message>
        <source>the name is not valid in the locale&apos;s encoding</source>
        <translation>името не е валидно в знаковото кодиране на системата</translation>
    </message>
    <message>
        <source>not a photo format</source>
        <translation>не е формат за снимки</translation>
    </message>
</context>
<context>
    <name>PrintController</name>
    <message>
        <source>&amp;Print...</source>
        <translation>Пе&amp;чат...</translation>
    </message>
    <message>
        <source>Ctrl+P</source>
        <translation>Ctrl+P</translation>
    </message>
    <message>
        <source>Print Pre&amp;view...</source>
        <translation>Пре&amp;глед за печат...</translation>
    </message>
    <message>
        <source>&amp;Export PDF...</source>
        <translation>&amp;Експорт в PDF...</translation>
    </message>
    <message>
        <source>Collage</source>
        <translation>Колаж</translation>
    </message>
    <message>
        <source>Fill the page, cutting away the least of the collage</source>
        <translation>Запълване на страницата с възможно най-малко изрязване от колажа</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Печат</translation>
    </message>
    <message>
        <source>The collage could not be sent to the printer.</source>
        <translation>Колажът не можа да бъде изпратен към принтера.</translation>
    </message>
    <message>
        <source>Fill Page</source>
        <translation>Запълване на страницата</translation>
    </message>
    <message>
        <source>Preparing the collage for the printer...</source>
        <translation>Колажът се подготвя за принтера...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отказ</translation>
    </message>
    <message>
        <source>There is not enough memory to render the collage for this page.</source>
        <translation>Няма достатъчно памет за изобразяване на колажа за тази страница.</translation>
    </message>
    <message>
        <source>One photo could not be decoded and was left out of the print.</source>
        <translation>Една снимка не можа да бъде декодирана и е пропусната при печата.</translation>
    </message>
    <message numerus="yes">
        <source>%n photos could not be decoded and were left out of the print.</source>
        <translation>
            <numerusform>%n снимка не можа да бъде декодирана и е пропусната при печата.</numerusform>
            <numerusform>%n снимки не можаха да бъдат декодирани и са пропуснати при печата.</numerusform>
        </translation>
    </message>
    <message>
        <source>Export PDF</source>
        <translation>Експорт в PDF</translation>
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
        <translation>Проекти на Vellomir (*.%1)</translation>
    </message>
    <message>
        <source>%1[*] — %2</source>
        <translation>%1[*] — %2</translation>
    </message>
    <message>
        <source>The collage has been modified.
Do you want to save it?</source>
        <translation>Колажът е променен.
Искате ли да го запишете?</translation>
    </message>
    <message>
        <source>Open Project</source>
        <translation>Отваряне на проект</translation>
    </message>
    <message>
        <source>Cannot open %1: %2</source>
        <translation>%1 не може да бъде отворен: %2</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message numerus="yes">
        <source>…and %n more</source>
        <translation>
            <numerusform>…и още %n</numerusform>
            <numerusform>…и още %n</numerusform>
        </translation>
    </message>
    <message>
        <source>One photo of %1 could not be used and was left out of the collage:</source>
        <translation>Една снимка от %1 не може да бъде използвана и не е включена в колажа:</translation>
    </message>
    <message numerus="yes">
        <source>%n photos of %1 could not be used and were left out of the collage:</source>
        <translation>
            <numerusform>%n снимка от %1 не може да бъде използвана и не е включена в колажа:</numerusform>
            <numerusform>%n снимки от %1 не могат да бъдат използвани и не са включени в колажа:</numerusform>
        </translation>
    </message>
    <message>
        <source>Save Project</source>
        <translation>Записване на проект</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 не може да бъде записан: %2</translation>
    </message>
    <message>
        <source>No Recent Projects</source>
        <translation>&amp;Няма скорошни проекти</translation>
    </message>
    <message>
        <source>%1 has unsaved changes from %2, when Vellomir did not close properly.
Do you want to restore them?</source>
        <translation>%1 има незапазени промени от %2, когато Vellomir не се затвори правилно.
Искате ли да ги възстановите?</translation>
    </message>
    <message>
        <source>One photo of %1 has changed since it was saved:</source>
        <translation>Една снимка от %1 е променена след запазването:</translation>
    </message>
    <message numerus="yes">
        <source>%n photos of %1 have changed since it was saved:</source>
        <translation>
            <numerusform>%n снимка от %1 е променена след запазването:</numerusform>
            <numerusform>%n снимки от %1 са променени след запазването:</numerusform>
        </translation>
    </message>
    <message>
        <source>An untitled collage</source>
        <translation>Неозаглавен колаж</translation>
    </message>
    <message>
        <source>Restore Collage</source>
        <translation>Възстановяване на колажа</translation>
    </message>
    <message>
        <source>Vellomir did not close properly.
%1 has changes from %2 that were not saved.</source>
        <translation>Vellomir не се затвори правилно.
%1 има незапазени промени от %2.</translation>
    </message>
    <message>
        <source>&amp;Restore</source>
        <translation>&amp;Възстановяване</translation>
    </message>
    <message>
        <source>&amp;Discard</source>
        <translation>&amp;Отхвърляне</translation>
    </message>
    <message>
        <source>&amp;Later</source>
        <translation>&amp;По-късно</translation>
    </message>
    <message>
        <source>Cannot restore %1: %2</source>
        <translation>%1 не може да бъде възстановен: %2</translation>
    </message>
</context>
<context>
    <name>ProjectFile</name>
    <message>
        <source>a photo has no path</source>
        <translation>една от снимките няма път</translation>
    </message>
    <message>
        <source>a photo&apos;s size is not usable</source>
        <translation>размерът на една от снимките е невалиден</translation>
    </message>
    <message>
        <source>a photo&apos;s orientation is not usable</source>
        <translation>ориентацията на една от снимките е невалидна</translation>
    </message>
    <message>
        <source>a photo&apos;s crop is not usable</source>
        <translation>изрязването на една от снимките е невалидно</translation>
    </message>
    <message>
        <source>the file is damaged or not a project</source>
        <translation>файлът е повреден или не е проект</translation>
    </message>
    <message>
        <source>not a Vellomir project</source>
        <translation>не е проект на Vellomir</translation>
    </message>
    <message>
        <source>made by a newer version of Vellomir</source>
        <translation>създаден с по-нова версия на Vellomir</translation>
    </message>
    <message>
        <source>the project file is damaged</source>
        <translation>файлът на проекта е повреден</translation>
    </message>
    <message>
        <source>the canvas size is not usable</source>
        <translation>размерът на платното е невалиден</translation>
    </message>
    <message>
        <source>the background colour is not usable</source>
        <translation>цветът на фона е невалиден</translation>
    </message>
    <message>
        <source>the frame is not usable</source>
        <translation>рамката е невалидна</translation>
    </message>
    <message>
        <source>more than %1 photos</source>
        <translation>повече от %1 снимки</translation>
    </message>
    <message>
        <source>the layout does not match the photos</source>
        <translation>подредбата не съответства на снимките</translation>
    </message>
    <message>
        <source>the file does not exist</source>
        <translation>файлът не съществува</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>не е обикновен файл</translation>
    </message>
    <message>
        <source>the file is too large for a project</source>
        <translation>файлът е твърде голям за проект</translation>
    </message>
    <message>
        <source>cannot read the file: %1</source>
        <translation>файлът не може да бъде прочетен: %1</translation>
    </message>
    <message>
        <source>the project cannot be stored: %1</source>
        <translation>проектът не може да бъде записан: %1</translation>
    </message>
    <message>
        <source>a photo&apos;s turn is not usable</source>
        <translation>завъртането на една от снимките е невалидно</translation>
    </message>
    <message>
        <source>a photo&apos;s emphasis is not usable</source>
        <translation>акцентът на една от снимките е невалиден</translation>
    </message>
    <message>
        <source>the resolution is not usable</source>
        <translation>резолюцията е невалидна</translation>
    </message>
</context>
<context>
    <name>QFileDialog</name>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 вече съществува.
Искате ли да го замените?</translation>
    </message>
</context>
<context>
    <name>QMessageBox</name>
    <message>
        <source>&lt;h3&gt;Vellomir&lt;/h3&gt;&lt;p&gt;This program is a photo collage software. It allows you to create layouts quickly and  generate unique layout each time.&lt;/p&gt;&lt;p&gt;version: %1&lt;/p&gt;&lt;p&gt;&lt;a href=&quot;https://vellomir.org/&quot;&gt;vellomir.org&lt;/a&gt;&lt;/p&gt;&lt;p&gt;Copyright &amp;copy; 2026 Vellomir&lt;/p&gt;</source>
        <translatorcomment>Left untranslated on purpose: the about text stays English.</translatorcomment>
        <translation>&lt;h3&gt;Vellomir&lt;/h3&gt;&lt;p&gt;Тази програма създава фотоколажи. С нея бързо подреждате снимките, а всяка подредба е неповторима.&lt;/p&gt;&lt;p&gt;версия: %1&lt;/p&gt;&lt;p&gt;&lt;a href=&quot;https://vellomir.org/&quot;&gt;vellomir.org&lt;/a&gt;&lt;/p&gt;&lt;p&gt;Copyright &amp;copy; 2026 Vellomir&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>Recovery</name>
    <message>
        <source>cannot be read</source>
        <translation>не може да бъде прочетен</translation>
    </message>
    <message>
        <source>not a recovery file</source>
        <translation>не е файл за възстановяване</translation>
    </message>
</context>
<context>
    <name>SizeWidget</name>
    <message>
        <source>Size</source>
        <translation>Размери на платното</translation>
    </message>
    <message>
        <source>Orientation</source>
        <translation>Ориентация</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>Портретна ориентация</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>Пейзажна ориентация</translation>
    </message>
    <message>
        <source> 800 x  600 px             </source>
        <translation> 800 x  600 пкс</translation>
    </message>
    <message>
        <source>1000 x  750 px             </source>
        <translation>1000 x  750 пкс</translation>
    </message>
    <message>
        <source>1500 x 1051 px   (9 x 13)cm</source>
        <translation>1500 x 1051 пкс   (9 x 13)см</translation>
    </message>
    <message>
        <source>1795 x 1205 px  (10 x 15)cm</source>
        <translation>1795 x 1205 пкс  (10 x 15)см</translation>
    </message>
    <message>
        <source>1800 x 1350 px             </source>
        <translation>1800 x 1350 пкс</translation>
    </message>
    <message>
        <source>2102 x 1500 px  (13 x 18)cm</source>
        <translation>2102 x 1500 пкс  (13 x 18)см</translation>
    </message>
    <message>
        <source>2398 x 1795 px             </source>
        <translation>2398 x 1795 пкс</translation>
    </message>
    <message>
        <source>3000 x 2398 px  (20 x 25)cm</source>
        <translation>3000 x 2398 пкс  (20 x 25)см</translation>
    </message>
    <message>
        <source>3602 x 2398 px  (20 x 30)cm</source>
        <translation>3602 x 2398 пкс  (20 x 30)см</translation>
    </message>
    <message>
        <source>3602 x 3000 px             </source>
        <translation>3602 x 3000 пкс</translation>
    </message>
    <message>
        <source>4205 x 3295 px  (28 x 36)cm</source>
        <translation>4205 x 3295 пкс  (28 x 36)см</translation>
    </message>
    <message>
        <source>4500 x 3000 px             </source>
        <translation>4500 x 3000 пкс</translation>
    </message>
    <message>
        <source>4500 x 3602 px             </source>
        <translation>4500 x 3602 пкс</translation>
    </message>
    <message>
        <source>5102 x 3295 px             </source>
        <translation>5102 x 3295 пкс</translation>
    </message>
    <message>
        <source>5492 x 3602 px             </source>
        <translation>5492 x 3602 пкс</translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>По избор</translation>
    </message>
    <message>
        <source>Paper</source>
        <translation>Хартия</translation>
    </message>
    <message>
        <source>No paper</source>
        <translation>Без хартия</translation>
    </message>
    <message>
        <source> dpi</source>
        <translation> dpi</translation>
    </message>
    <message>
        <source>Paper:</source>
        <translation>Хартия:</translation>
    </message>
    <message>
        <source>Unit:</source>
        <translation>Мерна единица:</translation>
    </message>
    <message>
        <source>Size:</source>
        <translation>Размер:</translation>
    </message>
    <message>
        <source>Resolution:</source>
        <translation>Резолюция:</translation>
    </message>
    <message>
        <source>A5 (148 x 210 mm)</source>
        <translation>A5 (148 x 210 мм)</translation>
    </message>
    <message>
        <source>A4 (210 x 297 mm)</source>
        <translation>A4 (210 x 297 мм)</translation>
    </message>
    <message>
        <source>A3 (297 x 420 mm)</source>
        <translation>A3 (297 x 420 мм)</translation>
    </message>
    <message>
        <source>A2 (420 x 594 mm)</source>
        <translation>A2 (420 x 594 мм)</translation>
    </message>
    <message>
        <source>US Letter (8.5 x 11 in)</source>
        <translation>US Letter (8,5 x 11 инча)</translation>
    </message>
    <message>
        <source>US Legal (8.5 x 14 in)</source>
        <translation>US Legal (8,5 x 14 инча)</translation>
    </message>
    <message>
        <source>Tabloid (11 x 17 in)</source>
        <translation>Таблоид (11 x 17 инча)</translation>
    </message>
    <message>
        <source>Photo 10 x 15 cm</source>
        <translation>Снимка 10 x 15 см</translation>
    </message>
    <message>
        <source>Photo 13 x 18 cm</source>
        <translation>Снимка 13 x 18 см</translation>
    </message>
    <message>
        <source>Photo 15 x 20 cm</source>
        <translation>Снимка 15 x 20 см</translation>
    </message>
    <message>
        <source>Photo 20 x 30 cm</source>
        <translation>Снимка 20 x 30 см</translation>
    </message>
    <message>
        <source>Photo 4 x 6 in</source>
        <translation>Снимка 4 x 6 инча</translation>
    </message>
    <message>
        <source>Photo 5 x 7 in</source>
        <translation>Снимка 5 x 7 инча</translation>
    </message>
    <message>
        <source>Photo 8 x 10 in</source>
        <translation>Снимка 8 x 10 инча</translation>
    </message>
</context>
<context>
    <name>StatusWidget</name>
    <message>
        <source>New layout</source>
        <translation>Нова подредба</translation>
    </message>
</context>
</TS>
