// German texts.
#include "ui/LanguageTables.h"

namespace orvane {
namespace {

constexpr TextEntry kTexts[] = {
    {0, "Installieren"},
    {1, "Anpassen"},
    {2, "Akzeptieren"},
    {3, "Lizenzvereinbarung"},
    {4, "Desktop-Verknüpfung erstellen"},
    {5, "Startmenü-Verknüpfung erstellen"},
    {6, "Beim Systemstart automatisch ausführen"},
    {7, "Teilnehmen"},
    {8, "Programm zur Verbesserung der Benutzerfreundlichkeit"},
    {9, "sofort starten"},
    {10, "Möchten Sie die Installation von __PRODUCT_NAME__ wirklich beenden?"},
    {11, "OK"},
    {12, "Abbrechen"},
    {13, "Die Installation kann nicht fortgesetzt werden, da __PRODUCT_NAME__ bereits ausgeführt wird. Bitte "
         "schließen Sie das Programm und versuchen Sie es erneut, oder erzwingen Sie das Beenden."},
    {14, "Erneut versuchen"},
    {15, "Beenden erzwingen"},
    {16, "Schnellstart-Symbol erstellen"},
    {17, "Wählen Sie einen Ordner aus der Liste unten aus und klicken Sie dann auf OK."},
    {18, "Neuigkeiten"},
    {19, "Ja"},
    {20, "Nein"},
    {21, "Wird installiert..."},
    {22, "Möchten Sie die Deinstallation wirklich durchführen?"},
    {23, "Deinstallieren"},
    {24, "Meine persönlichen Einstellungen behalten."},
    {25, "Wird deinstalliert..."},
    {26, "Deinstallation abgeschlossen! Vielen Dank für Ihre Unterstützung!"},
    {27, "Fertig"},
    {28, "Windows XP wird nicht mehr unterstützt."},
    {29, "Windows Vista wird nicht mehr unterstützt."},
    {30, "Der Installationspfad ist ungültig."},
    {31, "Auf dem ausgewählten Laufwerk ist nicht genügend Speicherplatz frei."},
    {32, "Hoppla! Diese Version von __PRODUCT_NAME__ läuft nur auf 64-Bit-Betriebssystemen. Bitte laden Sie die "
         "32-Bit-Version herunter und installieren Sie sie."},
    {33, "__PRODUCT_NAME__ läuft derzeit nur unter 64-Bit-Windows."},
    {34, "Deinstallieren"},
    {35, "Anwendung deinstallieren"},
    {36, "Anwendung"},
    {37, "Online"},
    {38, "Startseite"},
    {39, "Zur Installation der neuen Version muss der Computer neu gestartet werden. Möchten Sie fortfahren?"},
    {40, "Jetzt neu starten"},
    {41, "Download fehlgeschlagen. Bitte erneut versuchen oder den Offline-Installer herunterladen unter "
         ORVANE_WEB_HOST "."},
    {42, "Der Online-Installer ist veraltet. Die neueste Version erhalten Sie unter " ORVANE_WEB_HOST "."},
    {43, "Wird heruntergeladen..."},
    {44, "Daten werden geprüft, bitte warten..."},
    {45, "Download-Informationen werden abgerufen..."},
    {46, "__PRODUCT_NAME__ Online"},
    {47, "__PRODUCT_NAME__ deinstallieren"},
    {48, "Starten"},
    {49, "Die Installation startet automatisch in XXX Sekunden."},
    {50, "Setup-Datei wird heruntergeladen..."},
    {51, "offiziell"},
};

}  // namespace

LanguageTable GermanTexts() { return kTexts; }

}  // namespace orvane
