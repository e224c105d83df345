<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>MainDialog</name>
    <message>
        <source>ORVANE</source>
        <translation>ORVANE</translation>
    </message>
    <message>
        <source>Flight &amp;No.</source>
        <translation>Flug&amp;nummer</translation>
    </message>
    <message>
        <source>&amp;Get ACARS Flightdata</source>
        <translation>ACARS-Flu&amp;gdaten abrufen</translation>
    </message>
    <message>
        <source>ORVANE &amp;Preferences</source>
        <translation>ORVANE-Ein&amp;stellungen</translation>
    </message>
    <message>
        <source>&amp;Flight Data</source>
        <translation>&amp;Flugdaten</translation>
    </message>
    <message>
        <source>Departure</source>
        <translation>Abflug</translation>
    </message>
    <message>
        <source>Destination</source>
        <translation>Ziel</translation>
    </message>
    <message>
        <source>Alternate</source>
        <translation>Ausweichflughafen</translation>
    </message>
    <message>
        <source>Route</source>
        <translation>Route</translation>
    </message>
    <message>
        <source>Aircraft</source>
        <translation>Flugzeug</translation>
    </message>
    <message>
        <source>Altitude</source>
        <translation>Flughöhe</translation>
    </message>
    <message>
        <source>Planned altitude</source>
        <translation>Geplante Flughöhe</translation>
    </message>
    <message>
        <source>Passengers</source>
        <translation>Passagiere</translation>
    </message>
    <message>
        <source>Cargo (lbs)</source>
        <translation>Fracht (lbs)</translation>
    </message>
    <message>
        <source>Flight</source>
        <translation>Flug</translation>
    </message>
    <message>
        <source>Rules</source>
        <translation>nach</translation>
    </message>
    <message>
        <source>&amp;IFR</source>
        <translation>&amp;IFR</translation>
    </message>
    <message>
        <source>&amp;VFR</source>
        <translation>&amp;VFR</translation>
    </message>
    <message>
        <source>t</source>
        <translation>t</translation>
    </message>
    <message>
        <source>S&amp;tart ACARS</source>
        <translation>ACARS s&amp;tarten</translation>
    </message>
    <message>
        <source>Current &amp;ACARS Message</source>
        <translation>Aktuelle &amp;ACARS-Meldung</translation>
    </message>
    <message>
        <source>PIREP &amp;Data</source>
        <translation>PIREP-&amp;Daten</translation>
    </message>
    <message>
        <source>OUT</source>
        <translation>OUT</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>OFF</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>ON</translation>
    </message>
    <message>
        <source>IN</source>
        <translation>IN</translation>
    </message>
    <message>
        <source>Block Time</source>
        <translation>Blockzeit</translation>
    </message>
    <message>
        <source>Flight Time</source>
        <translation>Flugzeit</translation>
    </message>
    <message>
        <source>Altitude flown</source>
        <translation>Geflogene Flughöhe</translation>
    </message>
    <message>
        <source>Block Fuel</source>
        <translation>Blockkraftstoff</translation>
    </message>
    <message>
        <source>lbs</source>
        <translation>lbs</translation>
    </message>
    <message>
        <source>Flight Fuel</source>
        <translation>Flugkraftstoff</translation>
    </message>
    <message>
        <source>&amp;OFFLINE</source>
        <translation>&amp;OFFLINE</translation>
    </message>
    <message>
        <source>VATSI&amp;M</source>
        <translation>VATSI&amp;M</translation>
    </message>
    <message>
        <source>OT&amp;HER:</source>
        <translation>ANDE&amp;RE:</translation>
    </message>
    <message>
        <source>Other network</source>
        <translation>Anderes Netz</translation>
    </message>
    <message>
        <source>&amp;Comment</source>
        <translation>&amp;Kommentar</translation>
    </message>
    <message>
        <source>N&amp;ew Flight</source>
        <translation>N&amp;euer Flug</translation>
    </message>
    <message>
        <source>&amp;Load PIREP</source>
        <translation>PIREP &amp;laden</translation>
    </message>
    <message>
        <source>Vie&amp;w PIREP</source>
        <translation>PIREP an&amp;zeigen</translation>
    </message>
    <message>
        <source>https://orvane.example.org</source>
        <translation>https://orvane.example.org</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Simulator: not connected</source>
        <translation>Simulator: nicht verbunden</translation>
    </message>
    <message>
        <source>Connection to the flight simulator</source>
        <translation>Verbindung zum Flugsimulator</translation>
    </message>
    <message>
        <source>Phase: none</source>
        <translation>Phase: keine</translation>
    </message>
    <message>
        <source>Phase of the tracked flight</source>
        <translation>Phase des aufgezeichneten Flugs</translation>
    </message>
    <message>
        <source>Live ACARS: nothing sent</source>
        <translation>Live-ACARS: nichts gesendet</translation>
    </message>
    <message>
        <source>Result of the last live ACARS post</source>
        <translation>Ergebnis der letzten Live-ACARS-Meldung</translation>
    </message>
</context>
<context>
    <name>MessageBox</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Ja</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;Nein</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>OptionDialog</name>
    <message>
        <source>ORVANE Preferences</source>
        <translation>ORVANE-Einstellungen</translation>
    </message>
    <message>
        <source>&amp;ACARS Server URL</source>
        <translation>&amp;ACARS-Server-URL</translation>
    </message>
    <message>
        <source>&amp;PIREP Server URL</source>
        <translation>&amp;PIREP-Server-URL</translation>
    </message>
    <message>
        <source>&amp;FlightInfo Server URL</source>
        <translation>&amp;FlightInfo-Server-URL</translation>
    </message>
    <message>
        <source>ACARS Server &amp;User</source>
        <translation>ACARS-Server-Ben&amp;utzer</translation>
    </message>
    <message>
        <source>ACARS Server Pass&amp;word</source>
        <translation>ACARS-Server-Pass&amp;wort</translation>
    </message>
    <message>
        <source>&amp;Time Interval for POS Reports (minutes)</source>
        <translation>&amp;Intervall der Positionsmeldungen (Minuten)</translation>
    </message>
    <message>
        <source>Enable &amp;LiveACARS</source>
        <translation>&amp;LiveACARS einschalten</translation>
    </message>
    <message>
        <source>&amp;Enable PIREP</source>
        <translation>PIREP &amp;einschalten</translation>
    </message>
    <message>
        <source>Win&amp;dow</source>
        <translation>Fe&amp;nster</translation>
    </message>
    <message>
        <source>Send waiting PIREPs aut&amp;omatically</source>
        <translation>Wartende PIREPs automatisch sen&amp;den</translation>
    </message>
    <message>
        <source>Show weights in</source>
        <translation>Gewichte anzeigen in</translation>
    </message>
    <message>
        <source>&amp;kg</source>
        <translation>&amp;kg</translation>
    </message>
    <message>
        <source>l&amp;b</source>
        <translation>l&amp;b</translation>
    </message>
    <message>
        <source>&amp;Import airline settings…</source>
        <translation>Airline-Einstellungen i&amp;mportieren…</translation>
    </message>
    <message>
        <source>the desktop keyring</source>
        <translation>dem Schlüsselbund des Desktops</translation>
    </message>
    <message>
        <source>the Windows Credential Manager</source>
        <translation>der Windows-Anmeldeinformationsverwaltung</translation>
    </message>
    <message>
        <source>the macOS Keychain</source>
        <translation>dem macOS-Schlüsselbund</translation>
    </message>
    <message>
        <source>The password is kept in %1.</source>
        <translation>Das Passwort wird in %1 aufbewahrt.</translation>
    </message>
    <message>
        <source>No keyring answered: the password is kept in %1.</source>
        <translation>Kein Schlüsselbund hat geantwortet: Das Passwort wird in %1 aufbewahrt.</translation>
    </message>
    <message>
        <source>The password is kept in %1 when it answers, otherwise in %2.</source>
        <translation>Das Passwort wird, wenn verfügbar, in %1 aufbewahrt, sonst in %2.</translation>
    </message>
    <message>
        <source>The password is kept in %1, readable by you only.</source>
        <translation>Das Passwort wird in %1 aufbewahrt, nur für Sie lesbar.</translation>
    </message>
    <message>
        <source>No keyring answered: the password is kept in %1, readable by you only.</source>
        <translation>Kein Schlüsselbund hat geantwortet: Das Passwort wird in %1 aufbewahrt, nur für Sie lesbar.</translation>
    </message>
    <message>
        <source>The password is kept in %1 when it answers, otherwise in %2, readable by you only.</source>
        <translation>Das Passwort wird, wenn verfügbar, in %1 aufbewahrt, sonst in %2, nur für Sie lesbar.</translation>
    </message>
    <message>
        <source>The password is kept in %1, not in %2.</source>
        <translation>Das Passwort wird in %1 aufbewahrt, nicht in %2.</translation>
    </message>
    <message>
        <source>&amp;Save and Exit</source>
        <translation>&amp;Speichern und schließen</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>Abb&amp;rechen</translation>
    </message>
</context>
<context>
    <name>PIREPDialog</name>
    <message>
        <source>ORVANE PIREP</source>
        <translation>ORVANE PIREP</translation>
    </message>
    <message>
        <source>&amp;Send</source>
        <translation>&amp;Senden</translation>
    </message>
    <message>
        <source>S&amp;ave</source>
        <translation>Speic&amp;hern</translation>
    </message>
    <message>
        <source>&amp;Back</source>
        <translation>&amp;Zurück</translation>
    </message>
</context>
<context>
    <name>StringTable</name>
    <message>
        <source>Welcome to ORVANE!
You may check your Options using the &quot;ORVANE Preferences&quot; button above.
If you are done with that, enter a flight number in the upper left box and press 
&quot;Get ACARS Flightdata&quot; if your VA supports flight plan download for ORVANE.
Otherwise enter your flight number and flight data and press &quot;Start ACARS&quot;.
Have a nice and safe flight!</source>
        <translation>Willkommen bei ORVANE!
Über die Schaltfläche „ORVANE-Einstellungen“ oben können Sie Ihre Einstellungen prüfen.
Danach geben Sie oben links eine Flugnummer ein und drücken 
„ACARS-Flugdaten abrufen“, falls Ihre VA den Abruf von Flugplänen für ORVANE anbietet.
Andernfalls geben Sie Flugnummer und Flugdaten selbst ein und drücken „ACARS starten“.
Guten und sicheren Flug!</translation>
    </message>
    <message>
        <source>I hope you had a nice flight. Now you find the PIREP data displayed below.
Please check the data, select your online flight status and hit &quot;View PIREP&quot; to 
finally review all the data which is being sent to your VA.</source>
        <translation>Wir hoffen, Sie hatten einen schönen Flug. Unten sehen Sie jetzt die PIREP-Daten.
Bitte prüfen Sie die Daten, wählen Sie Ihren Online-Status und klicken Sie auf „PIREP anzeigen“, 
um alle Daten, die an Ihre VA gehen, ein letztes Mal zu prüfen.</translation>
    </message>
    <message>
        <source>ORVANE is trying to connect to MS Flight Simulator via FSUIPC.
While you are starting FS, you may already enter your Flight Number above.
This enables you to get your flight data via ACARS if your VA supports that.
Otherwise you may enter the flight data manually.
Once we are connected to FS and flight data is complete, you may hit &quot;Start ACARS&quot;
to start ACARS tracking.</source>
        <translation>ORVANE versucht, sich über FSUIPC mit dem MS Flight Simulator zu verbinden.
Während der Simulator startet, können Sie oben schon Ihre Flugnummer eingeben.
Dann können Sie Ihre Flugdaten per ACARS abrufen, falls Ihre VA das anbietet.
Andernfalls können Sie die Flugdaten von Hand eingeben.
Sobald die Verbindung zum Simulator steht und die Flugdaten vollständig sind, drücken Sie „ACARS starten“,
um die ACARS-Aufzeichnung zu beginnen.</translation>
    </message>
    <message>
        <source>ACARS Tracking starts now ...</source>
        <translation>Die ACARS-Aufzeichnung beginnt ...</translation>
    </message>
    <message>
        <source>PIREP SUCCESSFULLY sent.
The server returned the following message:</source>
        <translation>PIREP ERFOLGREICH gesendet.
Der Server hat folgende Nachricht zurückgegeben:</translation>
    </message>
    <message>
        <source>ORVANE will now be prepared for a new flight!</source>
        <translation>ORVANE wird jetzt für einen neuen Flug vorbereitet!</translation>
    </message>
    <message>
        <source>Stopping ORVANE ...</source>
        <translation>ORVANE wird beendet ...</translation>
    </message>
    <message>
        <source>ORVANE stopped.</source>
        <translation>ORVANE ist beendet.</translation>
    </message>
    <message>
        <source>Thank you for using ORVANE!</source>
        <translation>Danke, dass Sie ORVANE benutzen!</translation>
    </message>
    <message>
        <source>Do you really want to stop ORVANE?</source>
        <translation>Wollen Sie ORVANE wirklich beenden?</translation>
    </message>
    <message>
        <source>Loading a PIREP from file, you will overwrite the data currently
displayed. Do you want to do that?</source>
        <translation>Wenn Sie einen PIREP aus einer Datei laden, überschreiben Sie die gerade
angezeigten Daten. Wollen Sie das?</translation>
    </message>
    <message>
        <source>PIREP loaded from file.</source>
        <translation>PIREP aus Datei geladen.</translation>
    </message>
    <message>
        <source>Do you want to save your PIREP to a local file? If you choose &quot;No&quot;, current
PIREP data will be lost.</source>
        <translation>Wollen Sie Ihren PIREP in einer lokalen Datei speichern? Wenn Sie „Nein“ wählen, gehen die
aktuellen PIREP-Daten verloren.</translation>
    </message>
    <message>
        <source>You need to specify at least the following Flight Data items:
Flight Number, Departure, Destination, Alternate and Aircraft.
Please correct your input.</source>
        <translation>Bitte geben Sie mindestens diese Flugdaten an:
Flugnummer, Abflug, Ziel, Ausweichflughafen und Flugzeug.
Bitte ergänzen Sie Ihre Eingaben.</translation>
    </message>
    <message>
        <source>ORVANE does not allow slew mode while tracking a flight.
Also, you must not use a simulation rate greater than 1.
ORVANE tracking is stopped.
You may continue your flight without ACARS. 
Alternatively you can restart your flight and start ACARS once again.</source>
        <translation>ORVANE erlaubt keinen Slew-Modus, während ein Flug aufgezeichnet wird.
Eine Simulationsrate über 1 ist ebenfalls nicht erlaubt.
Die ORVANE-Aufzeichnung ist beendet.
Sie können Ihren Flug ohne ACARS fortsetzen. 
Oder Sie beginnen Ihren Flug neu und starten ACARS noch einmal.</translation>
    </message>
    <message>
        <source>You need to specify a flight number.</source>
        <translation>Bitte geben Sie eine Flugnummer an.</translation>
    </message>
    <message>
        <source>Retrieving flight data via ACARS returned error:</source>
        <translation>Der Abruf der Flugdaten per ACARS ergab einen Fehler:</translation>
    </message>
    <message>
        <source>ORVANE does currently not have a connection to
MS Flight Simulator. ACARS tracking cannot start.</source>
        <translation>ORVANE hat zurzeit keine Verbindung zum
MS Flight Simulator. Die ACARS-Aufzeichnung kann nicht beginnen.</translation>
    </message>
    <message>
        <source>You are either in the air already or have at least one engine running.
ORVANE tracking can only be started on the ground while all engines are shut down.</source>
        <translation>Sie sind entweder schon in der Luft oder mindestens ein Triebwerk läuft.
Die ORVANE-Aufzeichnung kann nur am Boden mit abgestellten Triebwerken beginnen.</translation>
    </message>
    <message>
        <source>PIREP data is not yet available (ACARS still tracking).</source>
        <translation>Die PIREP-Daten liegen noch nicht vor (ACARS zeichnet noch auf).</translation>
    </message>
    <message>
        <source>PIREP data incomplete.</source>
        <translation>PIREP-Daten unvollständig.</translation>
    </message>
    <message>
        <source>Sending the PIREP returned an ERROR condition:</source>
        <translation>Beim Senden des PIREP ist ein FEHLER aufgetreten:</translation>
    </message>
    <message>
        <source>You may retry sending the PIREP.</source>
        <translation>Sie können den PIREP noch einmal senden.</translation>
    </message>
    <message>
        <source>ORVANE is tracking your flight.
Do you want to stop flight tracking?</source>
        <translation>ORVANE zeichnet Ihren Flug auf.
Wollen Sie die Aufzeichnung beenden?</translation>
    </message>
    <message>
        <source>There was an error connecting to the LiveACARS server:
</source>
        <translation>Bei der Verbindung zum LiveACARS-Server ist ein Fehler aufgetreten:
</translation>
    </message>
    <message>
        <source>ACARS tracking continues without sending LiveACARS messages.</source>
        <translation>Die ACARS-Aufzeichnung läuft ohne LiveACARS-Meldungen weiter.</translation>
    </message>
    <message>
        <source>Do you want to delete the available PIREP data and start a new flight?</source>
        <translation>Wollen Sie die vorhandenen PIREP-Daten löschen und einen neuen Flug beginnen?</translation>
    </message>
    <message>
        <source>ORVANE Error</source>
        <translation>ORVANE-Fehler</translation>
    </message>
    <message>
        <source>ORVANE Communication Error</source>
        <translation>ORVANE-Verbindungsfehler</translation>
    </message>
    <message>
        <source>ORVANE FSUIPC Error</source>
        <translation>ORVANE-FSUIPC-Fehler</translation>
    </message>
    <message>
        <source>ORVANE PIREP Error</source>
        <translation>ORVANE-PIREP-Fehler</translation>
    </message>
    <message>
        <source>ORVANE PIREP Information</source>
        <translation>ORVANE-PIREP-Information</translation>
    </message>
    <message>
        <source>ORVANE Message</source>
        <translation>ORVANE-Meldung</translation>
    </message>
    <message>
        <source>ORVANE Question</source>
        <translation>ORVANE-Frage</translation>
    </message>
    <message>
        <source>ORVANE PIREP File</source>
        <translation>ORVANE-PIREP-Datei</translation>
    </message>
    <message>
        <source>Start ACARS</source>
        <translation>ACARS starten</translation>
    </message>
    <message>
        <source>Stop ACARS</source>
        <translation>ACARS stoppen</translation>
    </message>
    <message>
        <source>End flight</source>
        <translation>Flug jetzt beenden</translation>
    </message>
</context>
<context>
    <name>orvane::CMyDialog</name>
    <message>
        <source>Connecting to the ACARS server ...</source>
        <translation>Verbindung zum ACARS-Server ...</translation>
    </message>
    <message>
        <source>Ending the flight ...</source>
        <translation>Flug wird beendet ...</translation>
    </message>
    <message>
        <source>Getting the flight data ...</source>
        <translation>Flugdaten werden abgerufen ...</translation>
    </message>
    <message>
        <source>Starting ACARS ...</source>
        <translation>ACARS wird gestartet ...</translation>
    </message>
    <message>
        <source>Resuming the flight ...</source>
        <translation>Flug wird fortgesetzt ...</translation>
    </message>
    <message>
        <source>Send now</source>
        <translation>Jetzt senden</translation>
    </message>
    <message>
        <source>Review</source>
        <translation>Prüfen</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>Später</translation>
    </message>
    <message>
        <source>Going on without live ACARS ...</source>
        <translation>Weiter ohne Live-ACARS ...</translation>
    </message>
    <message>
        <source>Simulator connected</source>
        <translation>Simulator verbunden</translation>
    </message>
    <message>
        <source>Simulator not connected</source>
        <translation>Simulator nicht verbunden</translation>
    </message>
    <message>
        <source>No live ACARS post yet</source>
        <translation>Noch keine Live-ACARS-Meldung</translation>
    </message>
    <message>
        <source>Live ACARS: sent</source>
        <translation>Live-ACARS: gesendet</translation>
    </message>
    <message>
        <source>Live ACARS: failing since %1</source>
        <translation>Live-ACARS: gestört seit %1</translation>
    </message>
    <message>
        <source>No flight</source>
        <translation>Kein Flug</translation>
    </message>
    <message>
        <source>PIREP sent</source>
        <translation>PIREP gesendet</translation>
    </message>
    <message>
        <source>PIREP ready to send</source>
        <translation>PIREP bereit zum Senden</translation>
    </message>
    <message>
        <source>The PIREP is ready to send.</source>
        <translation>Der PIREP ist bereit zum Senden.</translation>
    </message>
    <message>
        <source>The PIREP of %1 is ready to send.</source>
        <translation>Der PIREP von %1 ist bereit zum Senden.</translation>
    </message>
    <message>
        <source>Tracks your flight in the simulator and reports it to your virtual airline.</source>
        <translation>Zeichnet Ihren Flug im Simulator auf und meldet ihn Ihrer virtuellen Airline.</translation>
    </message>
    <message>
        <source>Licence: MIT</source>
        <translation>Lizenz: MIT</translation>
    </message>
    <message>
        <source>Settings:</source>
        <translation>Einstellungen:</translation>
    </message>
    <message>
        <source>Log:</source>
        <translation>Protokoll:</translation>
    </message>
    <message>
        <source>PIREPs not sent yet:</source>
        <translation>Noch nicht gesendete PIREPs:</translation>
    </message>
    <message>
        <source>Unsaved PIREP at closing:</source>
        <translation>Nicht gespeicherter PIREP beim Beenden:</translation>
    </message>
    <message>
        <source>Keys: Enter in Flight No. gets the flight data; Escape quits (asking first during a flight); Alt and the underlined letter presses a button.</source>
        <translation>Tasten: Enter in „Flugnummer“ ruft die Flugdaten ab; Escape beendet ORVANE (während eines Flugs erst nach Rückfrage); Alt mit dem unterstrichenen Buchstaben drückt eine Schaltfläche.</translation>
    </message>
    <message>
        <source>About ORVANE</source>
        <translation>Über ORVANE</translation>
    </message>
    <message>
        <source>Cargo (kg)</source>
        <translation>Fracht (kg)</translation>
    </message>
    <message>
        <source>Cargo (lbs)</source>
        <translation>Fracht (lbs)</translation>
    </message>
    <message>
        <source>kg</source>
        <translation>kg</translation>
    </message>
    <message>
        <source>lbs</source>
        <translation>lbs</translation>
    </message>
</context>
<context>
    <name>orvane::CPIREPDialog</name>
    <message>
        <source>Sending the PIREP to your airline ...</source>
        <translation>Der PIREP wird an Ihre Airline gesendet ...</translation>
    </message>
    <message>
        <source>Landing: %1</source>
        <translation>Landung: %1</translation>
    </message>
    <message>
        <source>no bounce</source>
        <translation>ohne Hüpfer</translation>
    </message>
    <message>
        <source>1 bounce</source>
        <translation>1 Hüpfer</translation>
    </message>
    <message>
        <source>%1 bounces</source>
        <translation>%1 Hüpfer</translation>
    </message>
</context>
</TS>
