<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>TApplication</name>
    <message>
        <source>Unknown error</source>
        <translation>Erreur inconnue</translation>
    </message>
</context>
<context>
    <name>TConfigManager</name>
    <message>
        <source>The settings file %1 is larger than any settings file of Trovelle; it was set aside as %2. The default settings are used.</source>
        <translation>Le fichier de réglages %1 est plus grand que tout fichier de réglages de Trovelle ; il a été mis de côté sous le nom %2. Les réglages par défaut sont utilisés.</translation>
    </message>
    <message>
        <source>The settings file %1 is larger than any settings file of Trovelle and was not read. The default settings are used.</source>
        <translation>Le fichier de réglages %1 est plus grand que tout fichier de réglages de Trovelle et n’a pas été lu. Les réglages par défaut sont utilisés.</translation>
    </message>
    <message>
        <source>The settings file %1 cannot be read; it was set aside as %2, and a new one takes its place. The default settings are used.</source>
        <translation>Le fichier de réglages %1 est illisible ; il a été mis de côté sous le nom %2, et un nouveau fichier le remplace. Les réglages par défaut sont utilisés.</translation>
    </message>
    <message>
        <source>The settings file %1 cannot be read. The default settings are used.</source>
        <translation>Le fichier de réglages %1 est illisible. Les réglages par défaut sont utilisés.</translation>
    </message>
    <message>
        <source>The settings cannot be saved to %1.</source>
        <translation>Les réglages ne peuvent pas être enregistrés dans %1.</translation>
    </message>
</context>
<context>
    <name>TLinkLabel</name>
    <message>
        <source>Nothing on this system could open %1 (no launcher such as xdg-open was found).</source>
        <translation>Rien sur ce système ne peut ouvrir %1 (aucun lanceur tel que xdg-open n&apos;a été trouvé).</translation>
    </message>
</context>
<context>
    <name>TMyCustomFlatEdit</name>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation>«&#xa0;%1&#xa0;» n&apos;est pas un nombre entier valide</translation>
    </message>
</context>
<context>
    <name>TUIManager</name>
    <message>
        <source>Select Folder</source>
        <translation>Choisir un dossier</translation>
    </message>
    <message>
        <source>No video is opened, please load a video!</source>
        <translation>Aucune vidéo n&apos;est ouverte, veuillez charger une vidéo&#xa0;!</translation>
    </message>
    <message>
        <source>You have to select start position and end position for the option.</source>
        <translation>Pour cette option, vous devez choisir une position de début et une position de fin.</translation>
    </message>
    <message>
        <source>You have to enter a number of pieces greater than 0.</source>
        <translation>Vous devez saisir un nombre de vues supérieur à 0.</translation>
    </message>
    <message>
        <source>Generating the thumbnails, are you sure want to exit application?</source>
        <translation>Les vignettes sont en cours de création, voulez-vous vraiment quitter l&apos;application&#xa0;?</translation>
    </message>
    <message>
        <source>Generating the thumbnails; the video opens when they are done.</source>
        <translation>Les vignettes sont en cours de création&#xa0;; la vidéo s&apos;ouvrira quand elles seront terminées.</translation>
    </message>
    <message>
        <source>Video Files (%1)</source>
        <translation>Fichiers vidéo (%1)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Tous les fichiers (*)</translation>
    </message>
    <message>
        <source>FPS: %1 Size: %2x%3 Duration: %4 Timestamp: %5</source>
        <translation>Images/s&#xa0;: %L1 Taille&#xa0;: %2x%3 Durée&#xa0;: %4 Position&#xa0;: %5</translation>
    </message>
    <message>
        <source>Stopped: %1/%2</source>
        <translation>Arrêté&#xa0;: %1/%2</translation>
    </message>
    <message>
        <source>Processing: %1/%2</source>
        <translation>Traitement&#xa0;: %1/%2</translation>
    </message>
    <message>
        <source>Done: %1/%2</source>
        <translation>Terminé&#xa0;: %1/%2</translation>
    </message>
    <message>
        <source>Failed: %1/%2</source>
        <translation>Échec&#xa0;: %1/%2</translation>
    </message>
    <message>
        <source>About %1</source>
        <translation>À propos de %1</translation>
    </message>
    <message>
        <source>Saved: %1</source>
        <translation>Enregistrée : %1</translation>
    </message>
    <message>
        <source>The frame was not saved: %1</source>
        <translation>L’image n’a pas été enregistrée : %1</translation>
    </message>
    <message>
        <source>%1 · frame %2</source>
        <translation>%1 · image %2</translation>
    </message>
    <message>
        <source>The save folder %1 is no longer there. The thumbnails go to %2 until another folder is selected.</source>
        <translation>Le dossier d&apos;enregistrement %1 n&apos;existe plus. Les vignettes seront enregistrées dans %2 jusqu&apos;au choix d&apos;un autre dossier.</translation>
    </message>
    <message>
        <source>The save folder %1 is no longer there. Select another folder for the thumbnails.</source>
        <translation>Le dossier d&apos;enregistrement %1 n&apos;existe plus. Choisissez un autre dossier pour les vignettes.</translation>
    </message>
    <message>
        <source>Unable to open video file: %1 (%2)</source>
        <translation>Impossible d&apos;ouvrir le fichier vidéo&#xa0;: %1 (%2)</translation>
    </message>
</context>
<context>
    <name>TWording</name>
    <message>
        <source>The number of columns of a sheet must be from 1 to %1 (it is %2)</source>
        <translation>Le nombre de colonnes d&apos;une planche doit être compris entre 1 et %1 (il est de %2)</translation>
    </message>
    <message>
        <source>The number of rows of a sheet must be from 1 to %1 (it is %2)</source>
        <translation>Le nombre de lignes d&apos;une planche doit être compris entre 1 et %1 (il est de %2)</translation>
    </message>
    <message>
        <source>The width of a sheet must be from %1 to %2 pixels (it is %3)</source>
        <translation>La largeur d&apos;une planche doit être comprise entre %1 et %2 pixels (elle est de %3)</translation>
    </message>
    <message>
        <source>the range starts after the end of the %1 s video</source>
        <translation>la plage commence après la fin de la vidéo de %1 s</translation>
    </message>
    <message>
        <source>the video gave no frame in the range</source>
        <translation>la vidéo n&apos;a fourni aucune image dans la plage</translation>
    </message>
    <message>
        <source>the video gave no frame</source>
        <translation>la vidéo n&apos;a fourni aucune image</translation>
    </message>
    <message>
        <source>%1 frames asked, %2 written: the range ends after the end of the %3 s video</source>
        <translation>%1 images demandées, %2 écrites&#xa0;: la plage se termine après la fin de la vidéo de %3 s</translation>
    </message>
    <message>
        <source>%1 pieces asked, %2 written: the video is %3 s long and pieces are whole seconds apart</source>
        <translation>%1 vues demandées, %2 écrites&#xa0;: la vidéo dure %3 s et les vues sont espacées de secondes entières</translation>
    </message>
    <message>
        <source>%1 pieces asked, %2 written: the video gave no frame after the last one written</source>
        <translation>%1 vues demandées, %2 écrites&#xa0;: la vidéo n&apos;a fourni aucune image après la dernière écrite</translation>
    </message>
    <message>
        <source>%1 pieces asked, %2 frames in the video: %3 different frames written, each once</source>
        <translation>%1 vues demandées, %2 images dans la vidéo&#xa0;: %3 images différentes écrites, chacune une fois</translation>
    </message>
    <message>
        <source>%1 pieces asked, %2 different frames written: the other pieces fell on frames written already</source>
        <translation>%1 vues demandées, %2 images différentes écrites&#xa0;: les autres vues tombaient sur des images déjà écrites</translation>
    </message>
    <message>
        <source>a FIFO, not a file</source>
        <translation>un FIFO, pas un fichier</translation>
    </message>
    <message>
        <source>a device or socket, not a file</source>
        <translation>un périphérique ou un socket, pas un fichier</translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation>le fichier est vide</translation>
    </message>
    <message>
        <source>not a video the decoding library can read</source>
        <translation>pas une vidéo que la bibliothèque de décodage sait lire</translation>
    </message>
</context>
<context>
    <name>TaboutDlg</name>
    <message>
        <source>About %1</source>
        <translation>À propos de %1</translation>
    </message>
    <message>
        <source>Trovelle is an easy-to-use video capture tool designed to help</source>
        <translation>Trovelle est un outil de capture vidéo simple, conçu pour vous aider</translation>
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
        <translation>Logiciel libre sous GNU GPL, version 3 ou ultérieure (GPL-3.0-or-later).</translation>
    </message>
    <message>
        <source>Built with Qt, FFmpeg, SDL and FreeImage; lettering in Open Sans.</source>
        <translation>Réalisé avec Qt, FFmpeg, SDL et FreeImage&#xa0;; police Open Sans.</translation>
    </message>
    <message>
        <source>create thumbnails from videos.</source>
        <translation>à créer des vignettes à partir de vidéos.</translation>
    </message>
</context>
<context>
    <name>TcompleteDlg</name>
    <message>
        <source>Congratulations</source>
        <translation>Félicitations</translation>
    </message>
    <message>
        <source>The contact sheet is saved as</source>
        <translation>La planche contact est enregistrée sous</translation>
    </message>
    <message>
        <source>click the link to open the sheet.</source>
        <translation>cliquez sur le lien pour ouvrir la planche.</translation>
    </message>
    <message>
        <source>Fewer thumbnails than asked were saved in</source>
        <translation>Moins de vignettes que demandé ont été enregistrées dans</translation>
    </message>
    <message>
        <source>The thumbnails are saved successfully in</source>
        <translation>Les vignettes ont été enregistrées avec succès dans</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>click the link to open the folder.</source>
        <translation>cliquez sur le lien pour ouvrir le dossier.</translation>
    </message>
</context>
<context>
    <name>TconfigDlg</name>
    <message>
        <source>Enter a width and a height greater than 0.</source>
        <translation>Saisissez une largeur et une hauteur supérieures à 0.</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Largeur</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Hauteur</translation>
    </message>
    <message>
        <source>CONSTRAIN</source>
        <translation>LIER</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Thumbnail Size – %1</source>
        <translation>Taille des vignettes – %1</translation>
    </message>
</context>
<context>
    <name>TmainDlg</name>
    <message>
        <source>Processing: %1/%2</source>
        <translation>Traitement&#xa0;: %1/%2</translation>
    </message>
    <message>
        <source>play</source>
        <translation>lecture</translation>
    </message>
    <message>
        <source>pause</source>
        <translation>pause</translation>
    </message>
    <message>
        <source>stop</source>
        <translation>arrêt</translation>
    </message>
    <message>
        <source>start point</source>
        <translation>point de début</translation>
    </message>
    <message>
        <source>end point</source>
        <translation>point de fin</translation>
    </message>
    <message>
        <source>pieces</source>
        <translation>vues</translation>
    </message>
    <message>
        <source>&amp;Open a Video</source>
        <translation>&amp;Ouvrir une vidéo</translation>
    </message>
    <message>
        <source>open a video from disk</source>
        <translation>ouvrir une vidéo depuis le disque</translation>
    </message>
    <message>
        <source>&amp;Select Save Folder</source>
        <translation>&amp;Choisir le dossier cible</translation>
    </message>
    <message>
        <source>select a folder for saving thumbnails (Optional)</source>
        <translation>choisir un dossier où enregistrer les vignettes (facultatif)</translation>
    </message>
    <message>
        <source>GENERATE</source>
        <translation>GÉNÉRER</translation>
    </message>
    <message>
        <source>start generating thumbnails from the video</source>
        <translation>lancer la création des vignettes de la vidéo</translation>
    </message>
    <message>
        <source>save folder (leave blank to use global save folder)</source>
        <translation>dossier d&apos;enregistrement (laisser vide pour utiliser le dossier global)</translation>
    </message>
    <message>
        <source>convert whole video</source>
        <translation>convertir toute la vidéo</translation>
    </message>
    <message>
        <source>only</source>
        <translation>juste</translation>
    </message>
    <message>
        <source>from start point to end point</source>
        <translation>du point de début au point de fin</translation>
    </message>
    <message>
        <source>&amp;Action</source>
        <translation>&amp;Action</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Ouvrir</translation>
    </message>
    <message>
        <source>&amp;Playback</source>
        <translation>&amp;Lecture</translation>
    </message>
    <message>
        <source>&amp;Play</source>
        <translation>&amp;Lire</translation>
    </message>
    <message>
        <source>&amp;Pause</source>
        <translation>&amp;Pause</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Arrêter</translation>
    </message>
    <message>
        <source>Play/P&amp;ause</source>
        <translation>Lire/Pa&amp;use</translation>
    </message>
    <message>
        <source>&amp;Back 5 s</source>
        <translation>&amp;Reculer de 5 s</translation>
    </message>
    <message>
        <source>&amp;Forward 5 s</source>
        <translation>A&amp;vancer de 5 s</translation>
    </message>
    <message>
        <source>Start &amp;Mark</source>
        <translation>&amp;Marque de début</translation>
    </message>
    <message>
        <source>E&amp;nd Mark</source>
        <translation>Marque de &amp;fin</translation>
    </message>
    <message>
        <source>&amp;Config</source>
        <translation>&amp;Réglages</translation>
    </message>
    <message>
        <source>Make a Contact &amp;Sheet…</source>
        <translation>Créer une &amp;planche contact…</translation>
    </message>
    <message>
        <source>S&amp;top Generating</source>
        <translation>Arrêter la &amp;génération</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>A&amp;ide</translation>
    </message>
    <message>
        <source>&amp;Online</source>
        <translation>En &amp;ligne</translation>
    </message>
    <message>
        <source>&amp;Support</source>
        <translation>&amp;Assistance</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>À &amp;propos</translation>
    </message>
    <message>
        <source>Ne&amp;xt Frame</source>
        <translation>Image &amp;suivante</translation>
    </message>
    <message>
        <source>Pre&amp;vious Frame</source>
        <translation>Image pré&amp;cédente</translation>
    </message>
    <message>
        <source>Save This Fra&amp;me</source>
        <translation>&amp;Enregistrer cette image</translation>
    </message>
    <message>
        <source>Use the &amp;Global Save Folder</source>
        <translation>Utiliser le dossier &amp;global</translation>
    </message>
    <message>
        <source>use the global save folder</source>
        <translation>utiliser le dossier global</translation>
    </message>
    <message>
        <source>F&amp;irst Frame</source>
        <translation>Premi&amp;ère image</translation>
    </message>
    <message>
        <source>&amp;Last Frame</source>
        <translation>&amp;Dernière image</translation>
    </message>
    <message>
        <source>F&amp;ull Screen</source>
        <translation>Plei&amp;n écran</translation>
    </message>
</context>
<context>
    <name>TsheetDlg</name>
    <message>
        <source>Columns</source>
        <translation>Colonnes</translation>
    </message>
    <message>
        <source>Rows</source>
        <translation>Lignes</translation>
    </message>
    <message>
        <source>Width (pixels)</source>
        <translation>Largeur (pixels)</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Prefer clear pictures</source>
        <translation>Préférer les images &amp;nettes</translation>
    </message>
    <message>
        <source>Each tile takes the sharpest frame of a short moment after its time, passing over blurred, fading and plain frames</source>
        <translation>Chaque vignette prend l’image la plus nette peu après son instant, en écartant les images floues, en fondu ou unies</translation>
    </message>
    <message>
        <source>Contact Sheet – %1</source>
        <translation>Planche contact – %1</translation>
    </message>
</context>
</TS>
