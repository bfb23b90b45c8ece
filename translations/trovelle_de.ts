<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>TApplication</name>
    <message>
        <source>Unknown error</source>
        <translation>Unbekannter Fehler</translation>
    </message>
</context>
<context>
    <name>TConfigManager</name>
    <message>
        <source>The settings file %1 is larger than any settings file of Trovelle; it was set aside as %2. The default settings are used.</source>
        <translation>Die Einstellungsdatei %1 ist größer als jede Einstellungsdatei von Trovelle; sie wurde als %2 beiseitegelegt. Es gelten die Standardeinstellungen.</translation>
    </message>
    <message>
        <source>The settings file %1 is larger than any settings file of Trovelle and was not read. The default settings are used.</source>
        <translation>Die Einstellungsdatei %1 ist größer als jede Einstellungsdatei von Trovelle und wurde nicht gelesen. Es gelten die Standardeinstellungen.</translation>
    </message>
    <message>
        <source>The settings file %1 cannot be read; it was set aside as %2, and a new one takes its place. The default settings are used.</source>
        <translation>Die Einstellungsdatei %1 kann nicht gelesen werden; sie wurde als %2 beiseitegelegt, und eine neue tritt an ihre Stelle. Es gelten die Standardeinstellungen.</translation>
    </message>
    <message>
        <source>The settings file %1 cannot be read. The default settings are used.</source>
        <translation>Die Einstellungsdatei %1 kann nicht gelesen werden. Es gelten die Standardeinstellungen.</translation>
    </message>
    <message>
        <source>The settings cannot be saved to %1.</source>
        <translation>Die Einstellungen können nicht in %1 gespeichert werden.</translation>
    </message>
</context>
<context>
    <name>TLinkLabel</name>
    <message>
        <source>Nothing on this system could open %1 (no launcher such as xdg-open was found).</source>
        <translation>Auf diesem System kann nichts %1 öffnen (kein Startprogramm wie xdg-open gefunden).</translation>
    </message>
</context>
<context>
    <name>TMyCustomFlatEdit</name>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation>„%1“ ist keine gültige ganze Zahl</translation>
    </message>
</context>
<context>
    <name>TUIManager</name>
    <message>
        <source>Select Folder</source>
        <translation>Ordner wählen</translation>
    </message>
    <message>
        <source>No video is opened, please load a video!</source>
        <translation>Es ist kein Video geöffnet, bitte laden Sie ein Video!</translation>
    </message>
    <message>
        <source>You have to select start position and end position for the option.</source>
        <translation>Für diese Option müssen Sie eine Start- und eine Endposition wählen.</translation>
    </message>
    <message>
        <source>You have to enter a number of pieces greater than 0.</source>
        <translation>Sie müssen eine Anzahl Teile größer als 0 eingeben.</translation>
    </message>
    <message>
        <source>Generating the thumbnails, are you sure want to exit application?</source>
        <translation>Die Vorschaubilder werden gerade erzeugt. Wollen Sie das Programm wirklich beenden?</translation>
    </message>
    <message>
        <source>Generating the thumbnails; the video opens when they are done.</source>
        <translation>Die Vorschaubilder werden gerade erzeugt; das Video öffnet sich, sobald sie fertig sind.</translation>
    </message>
    <message>
        <source>Video Files (%1)</source>
        <translation>Videodateien (%1)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>FPS: %1 Size: %2x%3 Duration: %4 Timestamp: %5</source>
        <translation>Bildrate: %L1 Größe: %2x%3 Dauer: %4 Zeitpunkt: %5</translation>
    </message>
    <message>
        <source>Stopped: %1/%2</source>
        <translation>Angehalten: %1/%2</translation>
    </message>
    <message>
        <source>Processing: %1/%2</source>
        <translation>Verarbeitung: %1/%2</translation>
    </message>
    <message>
        <source>Done: %1/%2</source>
        <translation>Fertig: %1/%2</translation>
    </message>
    <message>
        <source>Failed: %1/%2</source>
        <translation>Fehlgeschlagen: %1/%2</translation>
    </message>
    <message>
        <source>About %1</source>
        <translation>Über %1</translation>
    </message>
    <message>
        <source>Saved: %1</source>
        <translation>Gespeichert: %1</translation>
    </message>
    <message>
        <source>The frame was not saved: %1</source>
        <translation>Das Bild wurde nicht gespeichert: %1</translation>
    </message>
    <message>
        <source>%1 · frame %2</source>
        <translation>%1 · Bild %2</translation>
    </message>
    <message>
        <source>The save folder %1 is no longer there. The thumbnails go to %2 until another folder is selected.</source>
        <translation>Der Speicherordner %1 ist nicht mehr vorhanden. Die Vorschaubilder werden in %2 gespeichert, bis ein anderer Ordner gewählt wird.</translation>
    </message>
    <message>
        <source>The save folder %1 is no longer there. Select another folder for the thumbnails.</source>
        <translation>Der Speicherordner %1 ist nicht mehr vorhanden. Wählen Sie einen anderen Ordner für die Vorschaubilder.</translation>
    </message>
    <message>
        <source>Unable to open video file: %1 (%2)</source>
        <translation>Videodatei kann nicht geöffnet werden: %1 (%2)</translation>
    </message>
</context>
<context>
    <name>TWording</name>
    <message>
        <source>The number of columns of a sheet must be from 1 to %1 (it is %2)</source>
        <translation>Die Zahl der Spalten eines Kontaktabzugs muss zwischen 1 und %1 liegen (sie ist %2)</translation>
    </message>
    <message>
        <source>The number of rows of a sheet must be from 1 to %1 (it is %2)</source>
        <translation>Die Zahl der Zeilen eines Kontaktabzugs muss zwischen 1 und %1 liegen (sie ist %2)</translation>
    </message>
    <message>
        <source>The width of a sheet must be from %1 to %2 pixels (it is %3)</source>
        <translation>Die Breite eines Kontaktabzugs muss zwischen %1 und %2 Pixel liegen (sie ist %3)</translation>
    </message>
    <message>
        <source>the range starts after the end of the %1 s video</source>
        <translation>der Bereich beginnt nach dem Ende des %1 s langen Videos</translation>
    </message>
    <message>
        <source>the video gave no frame in the range</source>
        <translation>das Video lieferte im Bereich kein Bild</translation>
    </message>
    <message>
        <source>the video gave no frame</source>
        <translation>das Video lieferte kein Bild</translation>
    </message>
    <message>
        <source>%1 frames asked, %2 written: the range ends after the end of the %3 s video</source>
        <translation>%1 Bilder gewünscht, %2 geschrieben: Der Bereich endet nach dem Ende des %3 s langen Videos</translation>
    </message>
    <message>
        <source>%1 pieces asked, %2 written: the video is %3 s long and pieces are whole seconds apart</source>
        <translation>%1 Teile gewünscht, %2 geschrieben: Das Video ist %3 s lang, und Teile liegen ganze Sekunden auseinander</translation>
    </message>
    <message>
        <source>%1 pieces asked, %2 written: the video gave no frame after the last one written</source>
        <translation>%1 Teile gewünscht, %2 geschrieben: Das Video lieferte nach dem zuletzt geschriebenen kein Bild mehr</translation>
    </message>
    <message>
        <source>%1 pieces asked, %2 frames in the video: %3 different frames written, each once</source>
        <translation>%1 Teile gewünscht, %2 Bilder im Video: %3 verschiedene Bilder geschrieben, jedes einmal</translation>
    </message>
    <message>
        <source>%1 pieces asked, %2 different frames written: the other pieces fell on frames written already</source>
        <translation>%1 Teile gewünscht, %2 verschiedene Bilder geschrieben: Die übrigen Teile fielen auf schon geschriebene Bilder</translation>
    </message>
    <message>
        <source>a FIFO, not a file</source>
        <translation>eine FIFO, keine Datei</translation>
    </message>
    <message>
        <source>a device or socket, not a file</source>
        <translation>ein Gerät oder Socket, keine Datei</translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation>die Datei ist leer</translation>
    </message>
    <message>
        <source>not a video the decoding library can read</source>
        <translation>kein Video, das die Dekodierbibliothek lesen kann</translation>
    </message>
</context>
<context>
    <name>TaboutDlg</name>
    <message>
        <source>About %1</source>
        <translation>Über %1</translation>
    </message>
    <message>
        <source>Trovelle is an easy-to-use video capture tool designed to help</source>
        <translation>Trovelle ist ein einfaches Videowerkzeug, mit dem Sie</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Free software under the GNU GPL, version 3 or later (GPL-3.0-or-later).</source>
        <translation>Freie Software: GNU GPL, Version 3 oder neuer (GPL-3.0-or-later).</translation>
    </message>
    <message>
        <source>Built with Qt, FFmpeg, SDL and FreeImage; lettering in Open Sans.</source>
        <translation>Erstellt mit Qt, FFmpeg, SDL und FreeImage; Schrift: Open Sans.</translation>
    </message>
    <message>
        <source>create thumbnails from videos.</source>
        <translation>Vorschaubilder aus Videos erstellen.</translation>
    </message>
</context>
<context>
    <name>TcompleteDlg</name>
    <message>
        <source>Congratulations</source>
        <translation>Herzlichen Glückwunsch</translation>
    </message>
    <message>
        <source>The contact sheet is saved as</source>
        <translation>Der Kontaktabzug wurde gespeichert als</translation>
    </message>
    <message>
        <source>click the link to open the sheet.</source>
        <translation>Klicken Sie auf den Link, um den Kontaktabzug zu öffnen.</translation>
    </message>
    <message>
        <source>Fewer thumbnails than asked were saved in</source>
        <translation>Es wurden weniger Vorschaubilder als gewünscht gespeichert in</translation>
    </message>
    <message>
        <source>The thumbnails are saved successfully in</source>
        <translation>Die Vorschaubilder wurden erfolgreich gespeichert in</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>click the link to open the folder.</source>
        <translation>Klicken Sie auf den Link, um den Ordner zu öffnen.</translation>
    </message>
</context>
<context>
    <name>TconfigDlg</name>
    <message>
        <source>Enter a width and a height greater than 0.</source>
        <translation>Geben Sie eine Breite und eine Höhe größer als 0 ein.</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Breite</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Höhe</translation>
    </message>
    <message>
        <source>CONSTRAIN</source>
        <translation>KOPPELN</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Thumbnail Size – %1</source>
        <translation>Vorschaubildgröße – %1</translation>
    </message>
</context>
<context>
    <name>TmainDlg</name>
    <message>
        <source>Processing: %1/%2</source>
        <translation>Verarbeitung: %1/%2</translation>
    </message>
    <message>
        <source>play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>stop</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>start point</source>
        <translation>Startpunkt</translation>
    </message>
    <message>
        <source>end point</source>
        <translation>Endpunkt</translation>
    </message>
    <message>
        <source>pieces</source>
        <translation>Teile</translation>
    </message>
    <message>
        <source>&amp;Open a Video</source>
        <translation>&amp;Video öffnen</translation>
    </message>
    <message>
        <source>open a video from disk</source>
        <translation>ein Video vom Datenträger öffnen</translation>
    </message>
    <message>
        <source>&amp;Select Save Folder</source>
        <translation>&amp;Speicherordner wählen</translation>
    </message>
    <message>
        <source>select a folder for saving thumbnails (Optional)</source>
        <translation>einen Ordner zum Speichern der Vorschaubilder wählen (optional)</translation>
    </message>
    <message>
        <source>GENERATE</source>
        <translation>ERZEUGEN</translation>
    </message>
    <message>
        <source>start generating thumbnails from the video</source>
        <translation>Vorschaubilder aus dem Video erzeugen</translation>
    </message>
    <message>
        <source>save folder (leave blank to use global save folder)</source>
        <translation>Speicherordner (leer lassen für den allgemeinen Speicherordner)</translation>
    </message>
    <message>
        <source>convert whole video</source>
        <translation>ganzes Video umwandeln</translation>
    </message>
    <message>
        <source>only</source>
        <translation>nur</translation>
    </message>
    <message>
        <source>from start point to end point</source>
        <translation>vom Startpunkt bis zum Endpunkt</translation>
    </message>
    <message>
        <source>&amp;Action</source>
        <translation>&amp;Aktion</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>Ö&amp;ffnen</translation>
    </message>
    <message>
        <source>&amp;Playback</source>
        <translation>&amp;Wiedergabe</translation>
    </message>
    <message>
        <source>&amp;Play</source>
        <translation>&amp;Abspielen</translation>
    </message>
    <message>
        <source>&amp;Pause</source>
        <translation>&amp;Pause</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Stopp</translation>
    </message>
    <message>
        <source>Play/P&amp;ause</source>
        <translation>Abspielen/Pa&amp;use</translation>
    </message>
    <message>
        <source>&amp;Back 5 s</source>
        <translation>5 s &amp;zurück</translation>
    </message>
    <message>
        <source>&amp;Forward 5 s</source>
        <translation>5 s &amp;vor</translation>
    </message>
    <message>
        <source>Start &amp;Mark</source>
        <translation>Start&amp;marke</translation>
    </message>
    <message>
        <source>E&amp;nd Mark</source>
        <translation>&amp;Endmarke</translation>
    </message>
    <message>
        <source>&amp;Config</source>
        <translation>&amp;Einstellungen</translation>
    </message>
    <message>
        <source>Make a Contact &amp;Sheet…</source>
        <translation>&amp;Kontaktabzug erstellen…</translation>
    </message>
    <message>
        <source>S&amp;top Generating</source>
        <translation>Erzeugen &amp;stoppen</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Online</source>
        <translation>&amp;Online</translation>
    </message>
    <message>
        <source>&amp;Support</source>
        <translation>&amp;Support</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>Ü&amp;ber</translation>
    </message>
    <message>
        <source>Ne&amp;xt Frame</source>
        <translation>&amp;Nächstes Bild</translation>
    </message>
    <message>
        <source>Pre&amp;vious Frame</source>
        <translation>Vor&amp;heriges Bild</translation>
    </message>
    <message>
        <source>Save This Fra&amp;me</source>
        <translation>Dieses Bild s&amp;peichern</translation>
    </message>
    <message>
        <source>Use the &amp;Global Save Folder</source>
        <translation>Allgemeinen Speicherordner &amp;nutzen</translation>
    </message>
    <message>
        <source>use the global save folder</source>
        <translation>den allgemeinen Speicherordner nutzen</translation>
    </message>
    <message>
        <source>F&amp;irst Frame</source>
        <translation>E&amp;rstes Bild</translation>
    </message>
    <message>
        <source>&amp;Last Frame</source>
        <translation>&amp;Letztes Bild</translation>
    </message>
    <message>
        <source>F&amp;ull Screen</source>
        <translation>Voll&amp;bild</translation>
    </message>
</context>
<context>
    <name>TsheetDlg</name>
    <message>
        <source>Columns</source>
        <translation>Spalten</translation>
    </message>
    <message>
        <source>Rows</source>
        <translation>Zeilen</translation>
    </message>
    <message>
        <source>Width (pixels)</source>
        <translation>Breite (Pixel)</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Prefer clear pictures</source>
        <translation>&amp;Klare Bilder bevorzugen</translation>
    </message>
    <message>
        <source>Each tile takes the sharpest frame of a short moment after its time, passing over blurred, fading and plain frames</source>
        <translation>Jede Kachel nimmt das schärfste Bild kurz nach ihrer Zeit und überspringt unscharfe, überblendete und einfarbige Bilder</translation>
    </message>
    <message>
        <source>Contact Sheet – %1</source>
        <translation>Kontaktabzug – %1</translation>
    </message>
</context>
</TS>
