// Dutch texts.
#include "ui/LanguageTables.h"

namespace orvane {
namespace {

constexpr TextEntry kTexts[] = {
    {0, "Klik om te installeren"},
    {1, "Aangepast"},
    {2, "Akkoord"},
    {3, "Licentieovereenkomst"},
    {4, "Snelkoppeling op het bureaublad maken"},
    {5, "Snelkoppeling in het menu Start maken"},
    {6, "Automatisch starten bij het opstarten van het systeem"},
    {7, "Deelnemen"},
    {8, "Programma voor verbetering van de gebruikerservaring"},
    {9, "__PRODUCT_NAME__ starten"},
    {10, "Weet u zeker dat u de installatie van __PRODUCT_NAME__ wilt afsluiten?"},
    {11, "OK"},
    {12, "Annuleren"},
    {13, "De installatie kan niet worden voortgezet omdat __PRODUCT_NAME__ al actief is. Sluit het programma en "
         "probeer het opnieuw, of forceer het afsluiten."},
    {14, "Opnieuw proberen"},
    {15, "Geforceerd afsluiten"},
    {16, "Snelstartpictogram maken"},
    {17, "Selecteer een map in de onderstaande lijst en klik vervolgens op OK."},
    {18, "Wat is er nieuw"},
    {19, "Ja"},
    {20, "Nee"},
    {21, "Bezig met installeren..."},
    {22, "Weet u zeker dat u wilt verwijderen?"},
    {23, "Verwijderen"},
    {24, "Mijn persoonlijke instellingen behouden."},
    {25, "Bezig met verwijderen..."},
    {26, "Verwijderen voltooid! Bedankt voor uw steun!"},
    {27, "Voltooien"},
    {28, "Windows XP wordt niet meer ondersteund."},
    {29, "Windows Vista wordt niet meer ondersteund."},
    {30, "Het installatiepad is ongeldig."},
    {31, "Er is onvoldoende vrije ruimte op het geselecteerde station."},
    {32, "Oeps! Deze versie van __PRODUCT_NAME__ werkt alleen op een 64-bits besturingssysteem. Download en "
         "installeer de 32-bits versie."},
    {33, "__PRODUCT_NAME__ werkt momenteel alleen op 64-bits Windows."},
    {34, "Verwijderen"},
    {35, "Toepassing verwijderen"},
    {36, "Toepassing"},
    {37, "Online"},
    {38, "Startpagina"},
    {39, "U moet de computer opnieuw opstarten om de nieuwe versie te installeren. Weet u zeker dat u wilt "
         "doorgaan?"},
    {40, "Nu opnieuw opstarten"},
    {41, "Downloaden mislukt. Probeer het opnieuw of download het offline installatieprogramma van " ORVANE_WEB_HOST
         "."},
    {42, "Het online installatieprogramma is verouderd. Download de nieuwste versie van " ORVANE_WEB_HOST "."},
    {43, "Bezig met downloaden..."},
    {44, "Gegevens controleren, even geduld..."},
    {45, "Downloadgegevens ophalen..."},
    {46, "__PRODUCT_NAME__ Online"},
    {47, "__PRODUCT_NAME__ verwijderen"},
    {48, "Starten"},
    {49, "De installatie begint automatisch over XXX seconden."},
    {50, "Installatiebestand downloaden..."},
    {51, "officieel"},
};

}  // namespace

LanguageTable DutchTexts() { return kTexts; }

}  // namespace orvane
