<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>huesift::BatchMode</name>
    <message>
        <source>%1 of %2 pictures</source>
        <translation>%1 von %2 Bildern</translation>
    </message>
    <message>
        <source>%1 and %2 would both be written to %3</source>
        <translation>%1 und %2 würden beide nach %3 geschrieben</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>standard output</source>
        <translation>die Standardausgabe</translation>
    </message>
    <message>
        <source>%1 is the input %2; the result would replace it</source>
        <translation>%1 ist die Eingabe %2; das Ergebnis würde sie ersetzen</translation>
    </message>
    <message>
        <source>standard input is a terminal</source>
        <translation>die Standardeingabe ist ein Terminal</translation>
    </message>
    <message>
        <source>cannot create the folder %1: %2</source>
        <translation>der Ordner %1 kann nicht angelegt werden: %2</translation>
    </message>
</context>
<context>
    <name>huesift::Capture</name>
    <message>
        <source>Captured picture</source>
        <extracomment>The window&apos;s title names a captured picture so: &quot;Captured picture - Huesift&quot;.</extracomment>
        <translation>Aufgenommenes Bild</translation>
    </message>
</context>
<context>
    <name>huesift::CaptureOverlay</name>
    <message>
        <source>Huesift capture</source>
        <translation>Huesift-Aufnahme</translation>
    </message>
    <message>
        <source>the screen cannot be read</source>
        <translation>der Bildschirm kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Screen capture is not available: %1</source>
        <translation>Die Bildschirmaufnahme ist nicht möglich: %1</translation>
    </message>
    <message>
        <source>%1 x %2</source>
        <extracomment>The size of the rectangle being dragged over the screen, in pixels: width x height.</extracomment>
        <translation>%1 × %2</translation>
    </message>
</context>
<context>
    <name>huesift::Clipboard</name>
    <message>
        <source>The clipboard picture is %1 x %2 pixels, too large to paste.</source>
        <translation>Das Bild in der Zwischenablage ist mit %1 × %2 Pixeln zu groß zum Einfügen.</translation>
    </message>
    <message>
        <source>Unsupported clipboard format</source>
        <translation>Das Format in der Zwischenablage wird nicht unterstützt</translation>
    </message>
    <message>
        <source>The program that holds the clipboard did not answer</source>
        <translation>Das Programm, dem die Zwischenablage gehört, antwortet nicht</translation>
    </message>
    <message>
        <source>Cannot open clipboard</source>
        <translation>Die Zwischenablage kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>The clipboard&apos;s picture is larger than %1 MiB, too large to paste</source>
        <translation>Das Bild in der Zwischenablage ist größer als %1 MiB und damit zu groß zum Einfügen</translation>
    </message>
    <message>
        <source>The clipboard&apos;s picture did not come within %1 s: it is too large or comes too slowly</source>
        <translation>Das Bild aus der Zwischenablage ist nicht innerhalb von %1 s angekommen: Es ist zu groß oder kommt zu langsam</translation>
    </message>
    <message>
        <source>Pasted picture</source>
        <extracomment>The window&apos;s title names a pasted picture so: &quot;Pasted picture - Huesift&quot;.</extracomment>
        <translation>Eingefügtes Bild</translation>
    </message>
</context>
<context>
    <name>huesift::ColourBox</name>
    <message>
        <source>Retain which color?</source>
        <translation>Welche Farbe behalten?</translation>
    </message>
    <message>
        <source>Retain All</source>
        <translation>Alle behalten</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Retain every color in the box</source>
        <translation>Alle Farben im Feld behalten</translation>
    </message>
</context>
<context>
    <name>huesift::ColourLists</name>
    <message>
        <source>List box full - delete a color and continue.</source>
        <translation>Die Liste ist voll – löschen Sie eine Farbe und fahren Sie dann fort.</translation>
    </message>
</context>
<context>
    <name>huesift::ColourWord</name>
    <message>
        <source>black</source>
        <translation>schwarz</translation>
    </message>
    <message>
        <source>dark gray</source>
        <translation>dunkelgrau</translation>
    </message>
    <message>
        <source>gray</source>
        <translation>grau</translation>
    </message>
    <message>
        <source>light gray</source>
        <translation>hellgrau</translation>
    </message>
    <message>
        <source>white</source>
        <translation>weiß</translation>
    </message>
    <message>
        <source>dark red</source>
        <translation>dunkelrot</translation>
    </message>
    <message>
        <source>red</source>
        <translation>rot</translation>
    </message>
    <message>
        <source>pink</source>
        <translation>rosa</translation>
    </message>
    <message>
        <source>brown</source>
        <translation>braun</translation>
    </message>
    <message>
        <source>orange</source>
        <translation>orange</translation>
    </message>
    <message>
        <source>light orange</source>
        <translation>hellorange</translation>
    </message>
    <message>
        <source>olive</source>
        <translation>oliv</translation>
    </message>
    <message>
        <source>yellow</source>
        <translation>gelb</translation>
    </message>
    <message>
        <source>light yellow</source>
        <translation>hellgelb</translation>
    </message>
    <message>
        <source>dark green</source>
        <translation>dunkelgrün</translation>
    </message>
    <message>
        <source>green</source>
        <translation>grün</translation>
    </message>
    <message>
        <source>light green</source>
        <translation>hellgrün</translation>
    </message>
    <message>
        <source>teal</source>
        <translation>blaugrün</translation>
    </message>
    <message>
        <source>cyan</source>
        <translation>cyan</translation>
    </message>
    <message>
        <source>light cyan</source>
        <translation>hellcyan</translation>
    </message>
    <message>
        <source>dark blue</source>
        <translation>dunkelblau</translation>
    </message>
    <message>
        <source>blue</source>
        <translation>blau</translation>
    </message>
    <message>
        <source>light blue</source>
        <translation>hellblau</translation>
    </message>
    <message>
        <source>dark violet</source>
        <translation>dunkelviolett</translation>
    </message>
    <message>
        <source>violet</source>
        <translation>violett</translation>
    </message>
    <message>
        <source>lavender</source>
        <translation>lavendel</translation>
    </message>
    <message>
        <source>purple</source>
        <translation>purpur</translation>
    </message>
    <message>
        <source>magenta</source>
        <translation>magenta</translation>
    </message>
    <message>
        <source>light magenta</source>
        <translation>hellmagenta</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <extracomment>A swatch read aloud: its hex value, then its colour word.</extracomment>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>near white</source>
        <translation>fast weiß</translation>
    </message>
</context>
<context>
    <name>huesift::CommandLine</name>
    <message>
        <source>opening %1 only; the window holds one picture at a time</source>
        <translation>nur %1 wird geöffnet; das Fenster zeigt jeweils ein Bild</translation>
    </message>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 erwartet einen Wert</translation>
    </message>
    <message>
        <source>--keep given twice; list every colour in one --keep</source>
        <translation>--keep zweimal angegeben; alle Farben in einem --keep aufzählen</translation>
    </message>
    <message>
        <source>%1: &apos;%2&apos; is not a colour like 1A2B3C or #1A2B3C</source>
        <translation>%1: „%2“ ist keine Farbe wie 1A2B3C oder #1A2B3C</translation>
    </message>
    <message>
        <source>--keep takes at most 64 colours</source>
        <translation>--keep erlaubt höchstens 64 Farben</translation>
    </message>
    <message>
        <source>--out-dir given twice</source>
        <translation>--out-dir zweimal angegeben</translation>
    </message>
    <message>
        <source>-o given twice</source>
        <translation>-o zweimal angegeben</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation>unbekannte Option %1</translation>
    </message>
    <message>
        <source>say where the results go: -o OUT or --out-dir DIR</source>
        <translation>das Ziel fehlt: -o AUSGABE oder --out-dir ORDNER angeben</translation>
    </message>
    <message>
        <source>-o and --out-dir exclude each other</source>
        <translation>-o und --out-dir schließen einander aus</translation>
    </message>
    <message>
        <source>no input files</source>
        <translation>keine Eingabedateien</translation>
    </message>
    <message>
        <source>-o takes one input file; use --out-dir for several</source>
        <translation>-o erlaubt nur eine Eingabedatei; für mehrere --out-dir verwenden</translation>
    </message>
    <message>
        <source>--white-to cannot be combined with --keep, --reverse or --convert</source>
        <translation>--white-to lässt sich nicht mit --keep, --reverse oder --convert verbinden</translation>
    </message>
    <message>
        <source>Try &apos;huesift --help&apos; for more information.</source>
        <translation>„huesift --help“ liefert weitere Informationen.</translation>
    </message>
    <message>
        <source>standard input (-) has no name for --out-dir to use; write it with -o</source>
        <translation>die Standardeingabe (-) hat keinen Namen für --out-dir; sie mit -o schreiben</translation>
    </message>
    <message>
        <source>Usage: huesift [FILE]
       huesift [--keep COLOURS] [--similar N] [--reverse] [--convert RRGGBB]
               (-o OUT | --out-dir DIR) FILE...
       huesift --white-to RRGGBB (-o OUT | --out-dir DIR) FILE...

Without -o or --out-dir, opens the window (and FILE in it).
With them, processes every FILE without a window and writes PNG pictures:
  --keep COLOURS     colours to keep, comma-separated RRGGBB or #RRGGBB
                     (at most 64; default 000000, black)
  --similar N        also keep every colour whose red, green and blue each lie
                     within N of a kept colour&apos;s (0 to 255; default 0)
  --reverse          whiten the kept colours instead of all others
  --convert RRGGBB   paint every surviving pixel in this colour
  --white-to RRGGBB  only turn white into this colour
  -o OUT             the output file (one FILE only; - for standard output)
  --out-dir DIR      write DIR/NAME.png for each FILE (DIR is created if needed)
A FILE of - is standard input. No output may be an input, and an output that
exists must be a regular file; a link in DIR is replaced, not written through.
  -h, --help         show this text
  --version          show the version

Exit status: 0 when every picture was written, 1 when any failed, 2 for a usage error.
</source>
        <translation>Aufruf: huesift [DATEI]
        huesift [--keep FARBEN] [--similar N] [--reverse] [--convert RRGGBB]
                (-o AUSGABE | --out-dir ORDNER) DATEI...
        huesift --white-to RRGGBB (-o AUSGABE | --out-dir ORDNER) DATEI...

Ohne -o oder --out-dir öffnet sich das Fenster (mit DATEI darin).
Mit einer der beiden wird jede DATEI ohne Fenster verarbeitet und als PNG-Bild geschrieben:
  --keep FARBEN      die zu behaltenden Farben, durch Kommas getrennt, RRGGBB oder #RRGGBB
                     (höchstens 64; Vorgabe 000000, Schwarz)
  --similar N        auch jede Farbe behalten, deren Rot, Grün und Blau je höchstens
                     N von denen einer behaltenen Farbe abweichen (0 bis 255; Vorgabe 0)
  --reverse          die behaltenen Farben statt aller anderen weiß färben
  --convert RRGGBB   jedes verbleibende Pixel in dieser Farbe einfärben
  --white-to RRGGBB  nur Weiß in diese Farbe umwandeln
  -o AUSGABE         die Ausgabedatei (nur eine DATEI; - für die Standardausgabe)
  --out-dir ORDNER   für jede DATEI ORDNER/NAME.png schreiben (ORDNER wird bei Bedarf angelegt)
Eine DATEI - ist die Standardeingabe. Keine Ausgabe darf eine Eingabe sein, und eine
vorhandene Ausgabe muss eine reguläre Datei sein; ein Link in ORDNER wird ersetzt, nicht
durch ihn hindurch geschrieben.
  -h, --help         diesen Text anzeigen
  --version          die Version anzeigen

Rückgabewert: 0, wenn jedes Bild geschrieben wurde, 1, wenn eines misslang, 2 bei einem
Aufruffehler.
</translation>
    </message>
    <message>
        <source>--similar given twice</source>
        <translation>--similar zweimal angegeben</translation>
    </message>
    <message>
        <source>%1: &apos;%2&apos; is not a distance from 0 to 255</source>
        <translation>%1: „%2“ ist kein Abstand von 0 bis 255</translation>
    </message>
    <message>
        <source>--white-to cannot be combined with --similar</source>
        <translation>--white-to lässt sich nicht mit --similar verbinden</translation>
    </message>
</context>
<context>
    <name>huesift::HelpWindow</name>
    <message>
        <source>Capture:   Click to capture the area just below the Huesift window.  Then drag the cross hairs over the</source>
        <extracomment>One line of the help text; the picture of each topic stands beside its first line, so keep the number of lines of each topic and the spaces that start its continued lines.</extracomment>
        <translation>Aufnehmen:   Klicken, um den Bereich unter dem Huesift-Fenster aufzunehmen.  Dann das Fadenkreuz über den</translation>
    </message>
    <message>
        <source>                desired area.  Right click button to paste in an image from the clipboard.</source>
        <translation>                 gewünschten Bereich ziehen.  Rechtsklick auf die Schaltfläche fügt ein Bild aus der Zwischenablage ein.</translation>
    </message>
    <message>
        <source>Process:   Click to strip unwanted colors from the image.</source>
        <translation>Verarbeiten: Klicken, um unerwünschte Farben aus dem Bild zu entfernen.</translation>
    </message>
    <message>
        <source>                 Right click button to : 1. &apos;Process Color...&apos; - results can be convert to any single color (not required).</source>
        <translation>                 Rechtsklick öffnet: 1. „Zielfarbe …“ – das Ergebnis kann in eine beliebige Farbe umgewandelt werden (optional).</translation>
    </message>
    <message>
        <source>                                                    2. &apos;Convert to Color&apos; - chose if conversion to &apos;Process Color...&apos; is desired.</source>
        <translation>                                              2. „In Zielfarbe umwandeln“ – wählen, wenn in die „Zielfarbe …“ umgewandelt werden soll.</translation>
    </message>
    <message>
        <source>                                                    3. &apos;Convert White to Color&apos; - converts white to &apos;Process Color&apos;. All other color</source>
        <translation>                                              3. „Weiß in Zielfarbe umwandeln“ – wandelt Weiß in die Zielfarbe um. Alle anderen</translation>
    </message>
    <message>
        <source>                                                        conversions are ignored during this operation.</source>
        <translation>                                                  Umwandlungen entfallen bei diesem Vorgang.</translation>
    </message>
    <message>
        <source>Stop:  Stop current Process operation.</source>
        <translation>Anhalten:  Hält die laufende Verarbeitung an.</translation>
    </message>
    <message>
        <source>Add Color: Click to access square cursor.  Then click on any color you desired to retain during &apos;Process&apos;.  Up</source>
        <translation>Farbe hinzufügen: Klicken für den quadratischen Mauszeiger.  Dann auf jede Farbe klicken, die beim „Verarbeiten“</translation>
    </message>
    <message>
        <source>                 to 64 colors can be retained.  Retained colors can be seen in the drop down box.  Cursor color</source>
        <translation>                 bleiben soll.  Bis zu 64 Farben können behalten werden; sie stehen in der Aufklappliste.  Die Farbe</translation>
    </message>
    <message>
        <source>                 can be changed by right clicking on the image.  (Note: if more than one color is selected with the </source>
        <translation>                 des Mauszeigers wechselt mit einem Rechtsklick auf das Bild.  (Hinweis: Erfasst der quadratische</translation>
    </message>
    <message>
        <source>                 square cursor, a color box will appear.  Then choose the desired colors to retain from the color box.)</source>
        <translation>                 Mauszeiger mehr als eine Farbe, erscheint ein Farbfeld.  Dort die zu behaltenden Farben auswählen.)</translation>
    </message>
    <message>
        <source>Undo:       Undo the last &apos;Process&apos; or &apos;Fill&apos;.</source>
        <translation>Rückgängig: Macht das letzte „Verarbeiten“ oder „Füllen“ rückgängig.</translation>
    </message>
    <message>
        <source>Reverse:   Strip out (rather than retain) &apos;Add Colors&apos; (opposite of normal Process).</source>
        <translation>Umkehren:   Entfernt die mit „Farbe hinzufügen“ gewählten Farben, statt sie zu behalten (Gegenteil von Verarbeiten).</translation>
    </message>
    <message>
        <source>Fill:            Click to fill any area with a color.  Right click button to choose a fill color.  Cursor color can be</source>
        <translation>Füllen:        Klicken, um eine Fläche mit einer Farbe zu füllen.  Rechtsklick auf die Schaltfläche wählt die Füllfarbe.</translation>
    </message>
    <message>
        <source>                 changed by right clicking on the image.</source>
        <translation>                 Die Farbe des Mauszeigers wechselt mit einem Rechtsklick auf das Bild.</translation>
    </message>
    <message>
        <source>Print:         Print the image.  Right click to miniaturize printing.</source>
        <translation>Drucken:      Druckt das Bild.  Rechtsklick auf die Schaltfläche druckt es verkleinert.</translation>
    </message>
    <message>
        <source>Drop Box: Contains &apos;Add Color&apos; selections.  The program defaults to black at start up.  One color is required.</source>
        <translation>Aufklappliste: Enthält die mit „Farbe hinzufügen“ gewählten Farben.  Beim Start ist es Schwarz.  Eine Farbe muss bleiben.</translation>
    </message>
    <message>
        <source>                 Simply click on a color to delete.  If black is not desired, add one additional color and then delete it.</source>
        <translation>                 Ein Klick auf eine Farbe löscht sie.  Soll Schwarz nicht bleiben, erst eine andere Farbe hinzufügen, dann Schwarz löschen.</translation>
    </message>
    <message>
        <source>Reset:      Reset selected colors in &apos;Drop Box&apos; (black default).</source>
        <translation>Zurücksetzen: Setzt die Farben der „Aufklappliste“ zurück (Vorgabe Schwarz).</translation>
    </message>
    <message>
        <source>0%:           Process time indicator.</source>
        <translation>0%:             Fortschrittsanzeige der Verarbeitung.</translation>
    </message>
    <message>
        <source>Quit:         Terminate program.</source>
        <translation>Beenden:     Beendet das Programm.</translation>
    </message>
    <message>
        <source>Image:      Left click and drag on image to delete data within band lines.  Right click on image to copy to</source>
        <translation>Bild:           Mit der linken Maustaste über das Bild ziehen, um den Inhalt im Rahmen zu löschen.  Rechtsklick auf das</translation>
    </message>
    <message>
        <source>                 clipboard (&apos;Add Color&apos; and &apos;Fill&apos; buttons must be in up position).</source>
        <translation>                 Bild kopiert es in die Zwischenablage („Farbe hinzufügen“ und „Füllen“ dürfen nicht gedrückt sein).</translation>
    </message>
    <message>
        <source>Huesift Help</source>
        <translation>Huesift-Hilfe</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>huesift::HuesiftApplication</name>
    <message>
        <source>Unknown error</source>
        <translation>Unbekannter Fehler</translation>
    </message>
</context>
<context>
    <name>huesift::ImageTools</name>
    <message>
        <source>Cursor not loaded</source>
        <translation>Der Mauszeiger konnte nicht geladen werden</translation>
    </message>
</context>
<context>
    <name>huesift::MainWindow</name>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Save Picture As...</source>
        <translation>Bild speichern unter …</translation>
    </message>
    <message>
        <source>Color...</source>
        <translation>Farbe …</translation>
    </message>
    <message>
        <source>White</source>
        <translation>Weiß</translation>
    </message>
    <message>
        <source>Black</source>
        <translation>Schwarz</translation>
    </message>
    <message>
        <source>Process Color...</source>
        <translation>Zielfarbe …</translation>
    </message>
    <message>
        <source>Convert White to Color</source>
        <translation>Weiß in Zielfarbe umwandeln</translation>
    </message>
    <message>
        <source>Convert to Color</source>
        <translation>In Zielfarbe umwandeln</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>Open Picture...</source>
        <translation>Bild öffnen …</translation>
    </message>
    <message>
        <source>Print 1/3 Size</source>
        <translation>In 1/3 Größe drucken</translation>
    </message>
    <message>
        <source>%1 - Huesift</source>
        <extracomment>The window&apos;s title with a picture: the picture&apos;s name, then the program&apos;s.</extracomment>
        <translation>%1 - Huesift</translation>
    </message>
    <message>
        <source>Capture part of the screen, paste a picture with Ctrl+V, open one with Ctrl+O, or drop a picture file here.</source>
        <translation>Nehmen Sie einen Teil des Bildschirms auf, fügen Sie ein Bild mit Strg+V ein, öffnen Sie eines mit Strg+O oder ziehen Sie eine Bilddatei hierher.</translation>
    </message>
</context>
<context>
    <name>huesift::PictureFiles</name>
    <message>
        <source>Cannot open %1: only files on this computer can be opened</source>
        <translation>%1 kann nicht geöffnet werden: Nur Dateien auf diesem Computer lassen sich öffnen</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>nicht genug Speicher</translation>
    </message>
    <message>
        <source>Pictures (%1)</source>
        <translation>Bilder (%1)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Cannot open %1: %2</source>
        <translation>%1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>picture</source>
        <extracomment>The name Save suggests for a picture that came from no file, without extension.</extracomment>
        <translation>Bild</translation>
    </message>
    <message>
        <source>Cannot save %1: %2</source>
        <translation>%1 kann nicht gespeichert werden: %2</translation>
    </message>
    <message>
        <source>there is no picture to save</source>
        <translation>es gibt kein Bild zum Speichern</translation>
    </message>
    <message>
        <source>PNG picture (*.png)</source>
        <translation>PNG-Bild (*.png)</translation>
    </message>
    <message>
        <source>BMP picture (*.bmp)</source>
        <translation>BMP-Bild (*.bmp)</translation>
    </message>
    <message>
        <source>PPM picture (*.ppm)</source>
        <translation>PPM-Bild (*.ppm)</translation>
    </message>
    <message>
        <source>TIFF picture (*.tif *.tiff)</source>
        <translation>TIFF-Bild (*.tif *.tiff)</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>es ist ein Ordner</translation>
    </message>
    <message>
        <source>the file is larger than %1 MiB, too large for a picture</source>
        <translation>die Datei ist größer als %1 MiB und damit zu groß für ein Bild</translation>
    </message>
    <message>
        <source>the picture is %1 x %2 pixels, too large</source>
        <translation>das Bild ist mit %1 × %2 Pixeln zu groß</translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation>die Datei ist leer</translation>
    </message>
    <message>
        <source>not a picture in a format Huesift reads, or damaged</source>
        <translation>kein Bild in einem Format, das Huesift liest, oder beschädigt</translation>
    </message>
    <message>
        <source>%1 or %2</source>
        <translation>%1 oder %2</translation>
    </message>
    <message>
        <source>%1 pictures do not keep every colour exactly</source>
        <translation>%1-Bilder erhalten nicht jede Farbe genau</translation>
    </message>
    <message>
        <source>Huesift cannot write %1 pictures</source>
        <translation>Huesift kann keine %1-Bilder schreiben</translation>
    </message>
    <message>
        <source>; save as %1</source>
        <translation>; als %1 speichern</translation>
    </message>
    <message>
        <source>Open Picture</source>
        <translation>Bild öffnen</translation>
    </message>
    <message>
        <source>Save Picture As</source>
        <translation>Bild speichern unter</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine reguläre Datei</translation>
    </message>
    <message>
        <source>standard output is a terminal</source>
        <translation>die Standardausgabe ist ein Terminal</translation>
    </message>
</context>
<context>
    <name>huesift::Printer</name>
    <message>
        <source>There is no default printer currently selected</source>
        <translation>Derzeit ist kein Standarddrucker ausgewählt</translation>
    </message>
    <message>
        <source>The print job could not be started</source>
        <translation>Der Druckauftrag konnte nicht gestartet werden</translation>
    </message>
    <message>
        <source>The print job failed and was cancelled</source>
        <translation>Der Druckauftrag ist fehlgeschlagen und wurde abgebrochen</translation>
    </message>
    <message>
        <source>The print job failed</source>
        <translation>Der Druckauftrag ist fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>huesift::Screen</name>
    <message>
        <source>the screenshot portal&apos;s picture is empty</source>
        <translation>das Bild des Bildschirmfoto-Portals ist leer</translation>
    </message>
    <message>
        <source>there is no screen</source>
        <translation>es gibt keinen Bildschirm</translation>
    </message>
    <message>
        <source>the screen cannot be read</source>
        <translation>der Bildschirm kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>This screen can be captured only resampled: the desktop&apos;s screenshot service takes it at another scale, so the picture is not exactly the screen&apos;s pixels.</source>
        <translation>Dieser Bildschirm lässt sich nur umgerechnet aufnehmen: Der Bildschirmfoto-Dienst der Arbeitsumgebung nimmt ihn in einer anderen Skalierung auf, daher ist das Bild nicht genau die Pixel des Bildschirms.</translation>
    </message>
    <message>
        <source>the screenshot portal is not running</source>
        <translation>das Bildschirmfoto-Portal läuft nicht</translation>
    </message>
    <message>
        <source>the desktop portal offers no screenshots</source>
        <translation>das Desktop-Portal bietet keine Bildschirmfotos an</translation>
    </message>
    <message>
        <source>the screenshot was refused</source>
        <translation>das Bildschirmfoto wurde verweigert</translation>
    </message>
    <message>
        <source>the desktop was told not to let programs take screenshots. To be asked again, run: gdbus call --session --dest org.freedesktop.impl.portal.PermissionStore --object-path /org/freedesktop/impl/portal/PermissionStore --method org.freedesktop.impl.portal.PermissionStore.DeletePermission screenshot screenshot &quot;&apos;&apos;&quot;</source>
        <translation>der Arbeitsumgebung wurde gesagt, Programmen keine Bildschirmfotos zu erlauben. Um wieder gefragt zu werden, führen Sie aus: gdbus call --session --dest org.freedesktop.impl.portal.PermissionStore --object-path /org/freedesktop/impl/portal/PermissionStore --method org.freedesktop.impl.portal.PermissionStore.DeletePermission screenshot screenshot &quot;&apos;&apos;&quot;</translation>
    </message>
    <message>
        <source>Screen capture</source>
        <translation>Bildschirmaufnahme</translation>
    </message>
    <message>
        <source>Waiting for the desktop&apos;s permission to take screenshots...</source>
        <translation>Warten auf die Erlaubnis der Arbeitsumgebung, Bildschirmfotos aufzunehmen …</translation>
    </message>
    <message>
        <source>Waiting for the desktop&apos;s permission to take screenshots... If you have answered and nothing happens, press Cancel and capture again.</source>
        <translation>Warten auf die Erlaubnis der Arbeitsumgebung, Bildschirmfotos aufzunehmen … Wenn Sie schon geantwortet haben und nichts geschieht, drücken Sie „Abbrechen“ und nehmen Sie erneut auf.</translation>
    </message>
    <message>
        <source>the screenshot portal&apos;s picture cannot be read</source>
        <translation>das Bild des Bildschirmfoto-Portals kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>there is no session bus</source>
        <translation>es gibt keinen Sitzungsbus</translation>
    </message>
    <message>
        <source>the screenshot portal did not answer within %1 seconds</source>
        <translation>das Bildschirmfoto-Portal hat nicht innerhalb von %1 Sekunden geantwortet</translation>
    </message>
    <message>
        <source>the screenshot was cancelled</source>
        <translation>das Bildschirmfoto wurde abgebrochen</translation>
    </message>
    <message>
        <source>the screenshot portal sent no picture file</source>
        <translation>das Bildschirmfoto-Portal hat keine Bilddatei geschickt</translation>
    </message>
    <message>
        <source>the screenshot portal&apos;s file %1: %2</source>
        <translation>die Datei des Bildschirmfoto-Portals %1: %2</translation>
    </message>
    <message>
        <source>KWin&apos;s screenshot cannot be read</source>
        <translation>das Bildschirmfoto von KWin kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>KWin&apos;s screenshot did not come within %1 seconds</source>
        <translation>das Bildschirmfoto von KWin kam nicht innerhalb von %1 Sekunden</translation>
    </message>
    <message>
        <source>The mouse pointer may show in captured pictures: KWin leaves it out only for programs installed with a desktop entry that allows them its screenshots.</source>
        <translation>Der Mauszeiger kann in aufgenommenen Bildern erscheinen: KWin lässt ihn nur für Programme weg, die mit einem Desktop-Eintrag installiert sind, der ihnen seine Bildschirmfotos erlaubt.</translation>
    </message>
</context>
<context>
    <name>huesift::SimilarColoursDialog</name>
    <message>
        <source>Similar Colors</source>
        <translation>Ähnliche Farben</translation>
    </message>
    <message>
        <source>Also keep the colors whose red, green and blue each lie within this distance of a retained color&apos;s. At 0 only the retained colors themselves are kept.</source>
        <translation>Auch die Farben behalten, deren Rot, Grün und Blau je höchstens so weit von denen einer behaltenen Farbe abweichen. Bei 0 bleiben nur die behaltenen Farben selbst.</translation>
    </message>
    <message>
        <source>&amp;Distance:</source>
        <translation>&amp;Abstand:</translation>
    </message>
    <message>
        <source>Distance</source>
        <translation>Abstand</translation>
    </message>
    <message>
        <source>Pixels kept</source>
        <translation>Behaltene Pixel</translation>
    </message>
    <message>
        <source>Keeps %L1 of %L2 pixels</source>
        <translation>Behält %L1 von %L2 Pixeln</translation>
    </message>
    <message>
        <source>Similar Colors...</source>
        <translation>Ähnliche Farben …</translation>
    </message>
    <message>
        <source>Similar Colors: %1...</source>
        <translation>Ähnliche Farben: %1 …</translation>
    </message>
</context>
<context>
    <name>huesift::Startup</name>
    <message>
        <source>no display: set DISPLAY or WAYLAND_DISPLAY</source>
        <translation>keine Anzeige: DISPLAY oder WAYLAND_DISPLAY setzen</translation>
    </message>
    <message>
        <source>DISPLAY is not set</source>
        <translation>DISPLAY ist nicht gesetzt</translation>
    </message>
    <message>
        <source>cannot open display %1</source>
        <translation>die Anzeige %1 kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>cannot open Wayland display %1</source>
        <translation>die Wayland-Anzeige %1 kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>cannot start: %1</source>
        <translation>Start nicht möglich: %1</translation>
    </message>
</context>
<context>
    <name>huesift::Toolbar</name>
    <message>
        <source>Capture</source>
        <translation>Aufnehmen</translation>
    </message>
    <message>
        <source>Process</source>
        <translation>Verarbeiten</translation>
    </message>
    <message>
        <source>Add Color</source>
        <translation>Farbe hinzufügen</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Fill</source>
        <translation>Füllen</translation>
    </message>
    <message>
        <source>Reverse Process</source>
        <translation>Umgekehrt verarbeiten</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Retained Colors</source>
        <translation>Behaltene Farben</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
</context>
</TS>
