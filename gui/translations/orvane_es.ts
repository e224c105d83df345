<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
<context>
    <name>MainDialog</name>
    <message>
        <source>ORVANE</source>
        <translation>ORVANE</translation>
    </message>
    <message>
        <source>Flight &amp;No.</source>
        <translation>&amp;Nº de vuelo</translation>
    </message>
    <message>
        <source>&amp;Get ACARS Flightdata</source>
        <translation>O&amp;btener datos ACARS</translation>
    </message>
    <message>
        <source>ORVANE &amp;Preferences</source>
        <translation>&amp;Preferencias de ORVANE</translation>
    </message>
    <message>
        <source>&amp;Flight Data</source>
        <translation>&amp;Datos del vuelo</translation>
    </message>
    <message>
        <source>Departure</source>
        <translation>Salida</translation>
    </message>
    <message>
        <source>Destination</source>
        <translation>Destino</translation>
    </message>
    <message>
        <source>Alternate</source>
        <translation>Alternativo</translation>
    </message>
    <message>
        <source>Route</source>
        <translation>Ruta</translation>
    </message>
    <message>
        <source>Aircraft</source>
        <translation>Aeronave</translation>
    </message>
    <message>
        <source>Altitude</source>
        <translation>Altitud</translation>
    </message>
    <message>
        <source>Planned altitude</source>
        <translation>Altitud prevista</translation>
    </message>
    <message>
        <source>Passengers</source>
        <translation>Pasajeros</translation>
    </message>
    <message>
        <source>Cargo (lbs)</source>
        <translation>Carga (lb)</translation>
    </message>
    <message>
        <source>Flight</source>
        <translation>Reglas</translation>
    </message>
    <message>
        <source>Rules</source>
        <translation>de vuelo</translation>
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
        <translation>r</translation>
    </message>
    <message>
        <source>S&amp;tart ACARS</source>
        <translation>Inicia&amp;r ACARS</translation>
    </message>
    <message>
        <source>Current &amp;ACARS Message</source>
        <translation>Mensaje &amp;ACARS actual</translation>
    </message>
    <message>
        <source>PIREP &amp;Data</source>
        <translation>Datos del PIR&amp;EP</translation>
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
        <translation>Tiempo de bloque</translation>
    </message>
    <message>
        <source>Flight Time</source>
        <translation>Tiempo de vuelo</translation>
    </message>
    <message>
        <source>Altitude flown</source>
        <translation>Altitud volada</translation>
    </message>
    <message>
        <source>Block Fuel</source>
        <translation>Combustible de bloque</translation>
    </message>
    <message>
        <source>lbs</source>
        <translation>lb</translation>
    </message>
    <message>
        <source>Flight Fuel</source>
        <translation>Combustible de vuelo</translation>
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
        <translation>O&amp;TRA:</translation>
    </message>
    <message>
        <source>Other network</source>
        <translation>Otra red</translation>
    </message>
    <message>
        <source>&amp;Comment</source>
        <translation>&amp;Comentario</translation>
    </message>
    <message>
        <source>N&amp;ew Flight</source>
        <translation>N&amp;uevo vuelo</translation>
    </message>
    <message>
        <source>&amp;Load PIREP</source>
        <translation>Car&amp;gar PIREP</translation>
    </message>
    <message>
        <source>Vie&amp;w PIREP</source>
        <translation>Revi&amp;sar PIREP</translation>
    </message>
    <message>
        <source>https://orvane.example.org</source>
        <translation>https://orvane.example.org</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>Sa&amp;lir</translation>
    </message>
    <message>
        <source>Simulator: not connected</source>
        <translation>Simulador: no conectado</translation>
    </message>
    <message>
        <source>Connection to the flight simulator</source>
        <translation>Conexión con el simulador de vuelo</translation>
    </message>
    <message>
        <source>Phase: none</source>
        <translation>Fase: ninguna</translation>
    </message>
    <message>
        <source>Phase of the tracked flight</source>
        <translation>Fase del vuelo seguido</translation>
    </message>
    <message>
        <source>Live ACARS: nothing sent</source>
        <translation>Live ACARS: nada enviado</translation>
    </message>
    <message>
        <source>Result of the last live ACARS post</source>
        <translation>Resultado del último envío de Live ACARS</translation>
    </message>
</context>
<context>
    <name>MessageBox</name>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Sí</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
</context>
<context>
    <name>OptionDialog</name>
    <message>
        <source>ORVANE Preferences</source>
        <translation>Preferencias de ORVANE</translation>
    </message>
    <message>
        <source>&amp;ACARS Server URL</source>
        <translation>URL del servidor &amp;ACARS</translation>
    </message>
    <message>
        <source>&amp;PIREP Server URL</source>
        <translation>URL del servidor &amp;PIREP</translation>
    </message>
    <message>
        <source>&amp;FlightInfo Server URL</source>
        <translation>URL del servidor &amp;FlightInfo</translation>
    </message>
    <message>
        <source>ACARS Server &amp;User</source>
        <translation>&amp;Usuario del servidor ACARS</translation>
    </message>
    <message>
        <source>ACARS Server Pass&amp;word</source>
        <translation>Contra&amp;seña del servidor ACARS</translation>
    </message>
    <message>
        <source>&amp;Time Interval for POS Reports (minutes)</source>
        <translation>&amp;Intervalo de los informes de posición (minutos)</translation>
    </message>
    <message>
        <source>Enable &amp;LiveACARS</source>
        <translation>Activar &amp;LiveACARS</translation>
    </message>
    <message>
        <source>&amp;Enable PIREP</source>
        <translation>Activar PIR&amp;EP</translation>
    </message>
    <message>
        <source>Win&amp;dow</source>
        <translation>&amp;Ventana</translation>
    </message>
    <message>
        <source>Send waiting PIREPs aut&amp;omatically</source>
        <translation>Enviar los PIREP pen&amp;dientes automáticamente</translation>
    </message>
    <message>
        <source>Show weights in</source>
        <translation>Mostrar los pesos en</translation>
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
        <translation>I&amp;mportar ajustes de la aerolínea…</translation>
    </message>
    <message>
        <source>the desktop keyring</source>
        <translation>el llavero del escritorio</translation>
    </message>
    <message>
        <source>the Windows Credential Manager</source>
        <translation>el Administrador de credenciales de Windows</translation>
    </message>
    <message>
        <source>the macOS Keychain</source>
        <translation>el llavero de macOS</translation>
    </message>
    <message>
        <source>The password is kept in %1.</source>
        <translation>La contraseña se guarda en %1.</translation>
    </message>
    <message>
        <source>No keyring answered: the password is kept in %1.</source>
        <translation>Ningún llavero respondió: la contraseña se guarda en %1.</translation>
    </message>
    <message>
        <source>The password is kept in %1 when it answers, otherwise in %2.</source>
        <translation>La contraseña se guarda en %1 si está disponible; si no, en %2.</translation>
    </message>
    <message>
        <source>The password is kept in %1, readable by you only.</source>
        <translation>La contraseña se guarda en %1, legible solo por usted.</translation>
    </message>
    <message>
        <source>No keyring answered: the password is kept in %1, readable by you only.</source>
        <translation>Ningún llavero respondió: la contraseña se guarda en %1, legible solo por usted.</translation>
    </message>
    <message>
        <source>The password is kept in %1 when it answers, otherwise in %2, readable by you only.</source>
        <translation>La contraseña se guarda en %1 si está disponible; si no, en %2, legible solo por usted.</translation>
    </message>
    <message>
        <source>The password is kept in %1, not in %2.</source>
        <translation>La contraseña se guarda en %1, no en %2.</translation>
    </message>
    <message>
        <source>&amp;Save and Exit</source>
        <translation>&amp;Guardar y salir</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Cancelar</translation>
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
        <translation>&amp;Enviar</translation>
    </message>
    <message>
        <source>S&amp;ave</source>
        <translation>&amp;Guardar</translation>
    </message>
    <message>
        <source>&amp;Back</source>
        <translation>&amp;Volver</translation>
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
        <translation>¡Bienvenido a ORVANE!
Puede revisar sus opciones con el botón «Preferencias de ORVANE» de arriba.
Después, escriba un número de vuelo en la casilla de arriba a la izquierda y pulse 
«Obtener datos ACARS» si su VA ofrece la descarga de planes de vuelo para ORVANE.
Si no, escriba usted el número de vuelo y los datos del vuelo y pulse «Iniciar ACARS».
¡Le deseamos un vuelo agradable y seguro!</translation>
    </message>
    <message>
        <source>I hope you had a nice flight. Now you find the PIREP data displayed below.
Please check the data, select your online flight status and hit &quot;View PIREP&quot; to 
finally review all the data which is being sent to your VA.</source>
        <translation>Esperamos que haya tenido un buen vuelo. Abajo tiene ahora los datos del PIREP.
Revise los datos, elija su estado de vuelo en línea y pulse «Revisar PIREP» para 
revisar por última vez todos los datos que se enviarán a su VA.</translation>
    </message>
    <message>
        <source>ORVANE is trying to connect to MS Flight Simulator via FSUIPC.
While you are starting FS, you may already enter your Flight Number above.
This enables you to get your flight data via ACARS if your VA supports that.
Otherwise you may enter the flight data manually.
Once we are connected to FS and flight data is complete, you may hit &quot;Start ACARS&quot;
to start ACARS tracking.</source>
        <translation>ORVANE está intentando conectarse a MS Flight Simulator a través de FSUIPC.
Mientras arranca el simulador, ya puede escribir arriba su número de vuelo.
Así podrá obtener los datos del vuelo por ACARS si su VA lo ofrece.
Si no, puede introducir los datos del vuelo a mano.
En cuanto haya conexión con el simulador y los datos del vuelo estén completos, pulse «Iniciar ACARS»
para empezar el seguimiento ACARS.</translation>
    </message>
    <message>
        <source>ACARS Tracking starts now ...</source>
        <translation>El seguimiento ACARS empieza ahora ...</translation>
    </message>
    <message>
        <source>PIREP SUCCESSFULLY sent.
The server returned the following message:</source>
        <translation>PIREP enviado CORRECTAMENTE.
El servidor ha devuelto el siguiente mensaje:</translation>
    </message>
    <message>
        <source>ORVANE will now be prepared for a new flight!</source>
        <translation>¡ORVANE se preparará ahora para un nuevo vuelo!</translation>
    </message>
    <message>
        <source>Stopping ORVANE ...</source>
        <translation>Cerrando ORVANE ...</translation>
    </message>
    <message>
        <source>ORVANE stopped.</source>
        <translation>ORVANE se ha detenido.</translation>
    </message>
    <message>
        <source>Thank you for using ORVANE!</source>
        <translation>¡Gracias por usar ORVANE!</translation>
    </message>
    <message>
        <source>Do you really want to stop ORVANE?</source>
        <translation>¿Seguro que quiere cerrar ORVANE?</translation>
    </message>
    <message>
        <source>Loading a PIREP from file, you will overwrite the data currently
displayed. Do you want to do that?</source>
        <translation>Si carga un PIREP desde un archivo, sobrescribirá los datos que se muestran
ahora. ¿Quiere hacerlo?</translation>
    </message>
    <message>
        <source>PIREP loaded from file.</source>
        <translation>PIREP cargado desde el archivo.</translation>
    </message>
    <message>
        <source>Do you want to save your PIREP to a local file? If you choose &quot;No&quot;, current
PIREP data will be lost.</source>
        <translation>¿Quiere guardar su PIREP en un archivo local? Si elige «No», se perderán
los datos del PIREP actual.</translation>
    </message>
    <message>
        <source>You need to specify at least the following Flight Data items:
Flight Number, Departure, Destination, Alternate and Aircraft.
Please correct your input.</source>
        <translation>Debe indicar al menos estos datos del vuelo:
número de vuelo, salida, destino, alternativo y aeronave.
Corrija los datos, por favor.</translation>
    </message>
    <message>
        <source>ORVANE does not allow slew mode while tracking a flight.
Also, you must not use a simulation rate greater than 1.
ORVANE tracking is stopped.
You may continue your flight without ACARS. 
Alternatively you can restart your flight and start ACARS once again.</source>
        <translation>ORVANE no permite el modo slew mientras sigue un vuelo.
Tampoco puede usar una tasa de simulación mayor que 1.
El seguimiento de ORVANE se ha detenido.
Puede continuar su vuelo sin ACARS. 
También puede reiniciar el vuelo y volver a iniciar ACARS.</translation>
    </message>
    <message>
        <source>You need to specify a flight number.</source>
        <translation>Debe indicar un número de vuelo.</translation>
    </message>
    <message>
        <source>Retrieving flight data via ACARS returned error:</source>
        <translation>La obtención de los datos del vuelo por ACARS devolvió un error:</translation>
    </message>
    <message>
        <source>ORVANE does currently not have a connection to
MS Flight Simulator. ACARS tracking cannot start.</source>
        <translation>ORVANE no tiene ahora conexión con
MS Flight Simulator. El seguimiento ACARS no puede empezar.</translation>
    </message>
    <message>
        <source>You are either in the air already or have at least one engine running.
ORVANE tracking can only be started on the ground while all engines are shut down.</source>
        <translation>O ya está en el aire o tiene al menos un motor en marcha.
El seguimiento de ORVANE solo puede empezar en tierra con todos los motores apagados.</translation>
    </message>
    <message>
        <source>PIREP data is not yet available (ACARS still tracking).</source>
        <translation>Los datos del PIREP aún no están disponibles (ACARS sigue el vuelo).</translation>
    </message>
    <message>
        <source>PIREP data incomplete.</source>
        <translation>Datos del PIREP incompletos.</translation>
    </message>
    <message>
        <source>Sending the PIREP returned an ERROR condition:</source>
        <translation>El envío del PIREP devolvió un ERROR:</translation>
    </message>
    <message>
        <source>You may retry sending the PIREP.</source>
        <translation>Puede volver a intentar el envío del PIREP.</translation>
    </message>
    <message>
        <source>ORVANE is tracking your flight.
Do you want to stop flight tracking?</source>
        <translation>ORVANE está siguiendo su vuelo.
¿Quiere detener el seguimiento?</translation>
    </message>
    <message>
        <source>There was an error connecting to the LiveACARS server:
</source>
        <translation>Hubo un error al conectar con el servidor LiveACARS:
</translation>
    </message>
    <message>
        <source>ACARS tracking continues without sending LiveACARS messages.</source>
        <translation>El seguimiento ACARS continúa sin enviar mensajes LiveACARS.</translation>
    </message>
    <message>
        <source>Do you want to delete the available PIREP data and start a new flight?</source>
        <translation>¿Quiere borrar los datos del PIREP disponibles y empezar un nuevo vuelo?</translation>
    </message>
    <message>
        <source>ORVANE Error</source>
        <translation>Error de ORVANE</translation>
    </message>
    <message>
        <source>ORVANE Communication Error</source>
        <translation>Error de comunicación de ORVANE</translation>
    </message>
    <message>
        <source>ORVANE FSUIPC Error</source>
        <translation>Error FSUIPC de ORVANE</translation>
    </message>
    <message>
        <source>ORVANE PIREP Error</source>
        <translation>Error de PIREP de ORVANE</translation>
    </message>
    <message>
        <source>ORVANE PIREP Information</source>
        <translation>Información de PIREP de ORVANE</translation>
    </message>
    <message>
        <source>ORVANE Message</source>
        <translation>Mensaje de ORVANE</translation>
    </message>
    <message>
        <source>ORVANE Question</source>
        <translation>Pregunta de ORVANE</translation>
    </message>
    <message>
        <source>ORVANE PIREP File</source>
        <translation>Archivo PIREP de ORVANE</translation>
    </message>
    <message>
        <source>Start ACARS</source>
        <translation>Iniciar ACARS</translation>
    </message>
    <message>
        <source>Stop ACARS</source>
        <translation>Detener ACARS</translation>
    </message>
    <message>
        <source>End flight</source>
        <translation>Terminar vuelo</translation>
    </message>
</context>
<context>
    <name>orvane::CMyDialog</name>
    <message>
        <source>Connecting to the ACARS server ...</source>
        <translation>Conectando con el servidor ACARS ...</translation>
    </message>
    <message>
        <source>Ending the flight ...</source>
        <translation>Terminando el vuelo ...</translation>
    </message>
    <message>
        <source>Getting the flight data ...</source>
        <translation>Obteniendo los datos del vuelo ...</translation>
    </message>
    <message>
        <source>Starting ACARS ...</source>
        <translation>Iniciando ACARS ...</translation>
    </message>
    <message>
        <source>Resuming the flight ...</source>
        <translation>Reanudando el vuelo ...</translation>
    </message>
    <message>
        <source>Send now</source>
        <translation>Enviar ahora</translation>
    </message>
    <message>
        <source>Review</source>
        <translation>Revisar</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>Más tarde</translation>
    </message>
    <message>
        <source>Going on without live ACARS ...</source>
        <translation>Continuando sin Live ACARS ...</translation>
    </message>
    <message>
        <source>Simulator connected</source>
        <translation>Simulador conectado</translation>
    </message>
    <message>
        <source>Simulator not connected</source>
        <translation>Simulador no conectado</translation>
    </message>
    <message>
        <source>No live ACARS post yet</source>
        <translation>Aún no se ha enviado Live ACARS</translation>
    </message>
    <message>
        <source>Live ACARS: sent</source>
        <translation>Live ACARS: enviado</translation>
    </message>
    <message>
        <source>Live ACARS: failing since %1</source>
        <translation>Live ACARS: falla desde las %1</translation>
    </message>
    <message>
        <source>No flight</source>
        <translation>Sin vuelo</translation>
    </message>
    <message>
        <source>PIREP sent</source>
        <translation>PIREP enviado</translation>
    </message>
    <message>
        <source>PIREP ready to send</source>
        <translation>PIREP listo para enviar</translation>
    </message>
    <message>
        <source>The PIREP is ready to send.</source>
        <translation>El PIREP está listo para enviar.</translation>
    </message>
    <message>
        <source>The PIREP of %1 is ready to send.</source>
        <translation>El PIREP de %1 está listo para enviar.</translation>
    </message>
    <message>
        <source>Tracks your flight in the simulator and reports it to your virtual airline.</source>
        <translation>Sigue su vuelo en el simulador y lo notifica a su aerolínea virtual.</translation>
    </message>
    <message>
        <source>Licence: MIT</source>
        <translation>Licencia: MIT</translation>
    </message>
    <message>
        <source>Settings:</source>
        <translation>Configuración:</translation>
    </message>
    <message>
        <source>Log:</source>
        <translation>Registro:</translation>
    </message>
    <message>
        <source>PIREPs not sent yet:</source>
        <translation>PIREP aún no enviados:</translation>
    </message>
    <message>
        <source>Unsaved PIREP at closing:</source>
        <translation>PIREP sin guardar al cerrar:</translation>
    </message>
    <message>
        <source>Keys: Enter in Flight No. gets the flight data; Escape quits (asking first during a flight); Alt and the underlined letter presses a button.</source>
        <translation>Teclas: Intro en «Nº de vuelo» obtiene los datos del vuelo; Escape cierra ORVANE (durante un vuelo, preguntando antes); Alt y la letra subrayada pulsan un botón.</translation>
    </message>
    <message>
        <source>About ORVANE</source>
        <translation>Acerca de ORVANE</translation>
    </message>
    <message>
        <source>Cargo (kg)</source>
        <translation>Carga (kg)</translation>
    </message>
    <message>
        <source>Cargo (lbs)</source>
        <translation>Carga (lb)</translation>
    </message>
    <message>
        <source>kg</source>
        <translation>kg</translation>
    </message>
    <message>
        <source>lbs</source>
        <translation>lb</translation>
    </message>
</context>
<context>
    <name>orvane::CPIREPDialog</name>
    <message>
        <source>Sending the PIREP to your airline ...</source>
        <translation>Enviando el PIREP a su aerolínea ...</translation>
    </message>
    <message>
        <source>Landing: %1</source>
        <translation>Aterrizaje: %1</translation>
    </message>
    <message>
        <source>no bounce</source>
        <translation>sin rebote</translation>
    </message>
    <message>
        <source>1 bounce</source>
        <translation>1 rebote</translation>
    </message>
    <message>
        <source>%1 bounces</source>
        <translation>%1 rebotes</translation>
    </message>
</context>
</TS>
