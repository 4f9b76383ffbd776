<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>huesift::BatchMode</name>
    <message>
        <source>%1 of %2 pictures</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 and %2 would both be written to %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot create the folder %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>huesift::CaptureOverlay</name>
    <message>
        <source>Huesift capture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the screen cannot be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Screen capture is not available: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>huesift::Clipboard</name>
    <message>
        <source>The clipboard picture is %1 x %2 pixels, too large to paste.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unsupported clipboard format</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The program that holds the clipboard did not answer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot open clipboard</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>huesift::ColourBox</name>
    <message>
        <source>Retain which color?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>huesift::ColourLists</name>
    <message>
        <source>List box full - delete a color and continue.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>huesift::CommandLine</name>
    <message>
        <source>unknown option %1 ignored</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>opening %1 only; the window holds one picture at a time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: huesift [FILE]
       huesift [--keep COLOURS] [--reverse] [--convert RRGGBB]
               (-o OUT | --out-dir DIR) FILE...
       huesift --white-to RRGGBB (-o OUT | --out-dir DIR) FILE...

Without -o or --out-dir, opens the window (and FILE in it).
With them, processes every FILE without a window and writes PNG pictures:
  --keep COLOURS     colours to keep, comma-separated RRGGBB or #RRGGBB
                     (at most 64; default 000000, black)
  --reverse          whiten the kept colours instead of all others
  --convert RRGGBB   paint every surviving pixel in this colour
  --white-to RRGGBB  only turn white into this colour
  -o OUT             the output file (one FILE only)
  --out-dir DIR      write DIR/NAME.png for each FILE (DIR is created if needed)
  -h, --help         show this text
  --version          show the version

Exit status: 0 when every picture was written, 1 when any failed, 2 for a usage error.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 needs a value</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--keep given twice; list every colour in one --keep</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: &apos;%2&apos; is not a colour like 1A2B3C or #1A2B3C</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--keep takes at most 64 colours</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--out-dir given twice</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>-o given twice</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>say where the results go: -o OUT or --out-dir DIR</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>-o and --out-dir exclude each other</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no input files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>-o takes one input file; use --out-dir for several</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--white-to cannot be combined with --keep, --reverse or --convert</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>huesift::HelpWindow</name>
    <message>
        <source>Capture:   Click to capture the area just below the Huesift window.  Then drag the cross hairs over the</source>
        <extracomment>One line of the help text; the picture of each topic stands beside its first line, so keep the number of lines of each topic and the spaces that start its continued lines.</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>                desired area.  Right click button to paste in an image from the clipboard.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Process:   Click to strip unwanted colors from the image.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>                 Right click button to : 1. &apos;Process Color...&apos; - results can be convert to any single color (not required).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>                                                    2. &apos;Convert to Color&apos; - chose if conversion to &apos;Process Color...&apos; is desired.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>                                                    3. &apos;Convert White to Color&apos; - converts white to &apos;Process Color&apos;. All other color</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>                                                        conversions are ignored during this operation.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop:  Stop current Process operation.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add Color: Click to access square cursor.  Then click on any color you desired to retain during &apos;Process&apos;.  Up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>                 to 64 colors can be retained.  Retained colors can be seen in the drop down box.  Cursor color</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>                 can be changed by right clicking on the image.  (Note: if more than one color is selected with the </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>                 square cursor, a color box will appear.  Then choose the desired colors to retain from the color box.)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo:       Undo the last &apos;Process&apos; or &apos;Fill&apos;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reverse:   Strip out (rather than retain) &apos;Add Colors&apos; (opposite of normal Process).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fill:            Click to fill any area with a color.  Right click button to choose a fill color.  Cursor color can be</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>                 changed by right clicking on the image.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Print:         Print the image.  Right click to miniaturize printing.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Drop Box: Contains &apos;Add Color&apos; selections.  The program defaults to black at start up.  One color is required.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>                 Simply click on a color to delete.  If black is not desired, add one additional color and then delete it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reset:      Reset selected colors in &apos;Drop Box&apos; (black default).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0%:           Process time indicator.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit:         Terminate program.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Image:      Left click and drag on image to delete data within band lines.  Right click on image to copy to</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>                 clipboard (&apos;Add Color&apos; and &apos;Fill&apos; buttons must be in up position).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Huesift Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>huesift::HuesiftApplication</name>
    <message>
        <source>Unknown error</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>huesift::ImageTools</name>
    <message>
        <source>Cursor not loaded</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>huesift::MainWindow</name>
    <message>
        <source>Cannot open %1: only files on this computer can be opened</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save Picture As...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Color...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>White</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Black</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Process Color...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Convert White to Color</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Convert to Color</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Paste</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Picture...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Print 1/3 Size</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>huesift::PictureFiles</name>
    <message>
        <source>Pictures (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot open %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>picture</source>
        <extracomment>The name Save suggests for a picture that came from no file, without extension.</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot save %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>there is no picture to save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PNG picture (*.png)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BMP picture (*.bmp)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PPM picture (*.ppm)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TIFF picture (*.tif *.tiff)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file is larger than %1 MiB, too large for a picture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the picture is %1 x %2 pixels, too large</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a picture in a format Huesift reads, or damaged</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 or %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 pictures do not keep every colour exactly</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Huesift cannot write %1 pictures</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>; save as %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Picture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save Picture As</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>huesift::Printer</name>
    <message>
        <source>There is no default printer currently selected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The print job could not be started</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The print job failed and was cancelled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The print job failed</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>huesift::Screen</name>
    <message>
        <source>the screenshot portal&apos;s picture is empty</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>there is no screen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the screen cannot be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the screenshot portal is not running</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the desktop portal offers no screenshots</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the screenshot was refused</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the screenshot portal&apos;s picture cannot be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>there is no session bus</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the screenshot portal did not answer within %1 seconds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the screenshot was cancelled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the screenshot portal sent no picture file</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>huesift::Startup</name>
    <message>
        <source>no display: set DISPLAY or WAYLAND_DISPLAY</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DISPLAY is not set</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot open display %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot open Wayland display %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot start: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>huesift::Toolbar</name>
    <message>
        <source>Capture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Process</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add Color</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fill</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reverse Process</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Print</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reset</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Retained Colors</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
