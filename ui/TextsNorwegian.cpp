// Norwegian (bokmål) texts. The table ends after id 49: the download-view
// status line (50) and the version word (51) show in English.
#include "ui/LanguageTables.h"

namespace orvane {
namespace {

constexpr TextEntry kTexts[] = {
    {0, "Klikk for å installere"},
    {1, "Tilpass"},
    {2, "Godta"},
    {3, "Lisensavtale for sluttbruker"},
    {4, "Opprett snarvei på skrivebordet"},
    {5, "Opprett snarvei på Start-menyen"},
    {6, "Kjør automatisk ved oppstart av systemet"},
    {7, "Bli med"},
    {8, "Program for forbedring av brukeropplevelsen"},
    {9, "Start __PRODUCT_NAME__"},
    {10, "Er du sikker på at du vil avslutte installasjonen av __PRODUCT_NAME__?"},
    {11, "OK"},
    {12, "Avbryt"},
    {13, "Installasjonen kan ikke fortsette fordi __PRODUCT_NAME__ allerede kjører. Lukk programmet og prøv igjen, "
         "eller tving det til å lukkes."},
    {14, "Prøv igjen"},
    {15, "Tving lukking"},
    {16, "Opprett et hurtigstartikon"},
    {17, "Velg en mappe fra listen nedenfor, og klikk deretter OK."},
    {18, "Nyheter"},
    {19, "Ja"},
    {20, "Nei"},
    {21, "Installerer..."},
    {22, "Er du sikker på at du vil avinstallere?"},
    {23, "Avinstaller"},
    {24, "Behold mine personlige innstillinger."},
    {25, "Avinstallerer..."},
    {26, "Avinstallasjonen er fullført! Takk for støtten!"},
    {27, "Fullfør"},
    {28, "Windows XP støttes ikke lenger."},
    {29, "Windows Vista støttes ikke lenger."},
    {30, "Installasjonsbanen er ugyldig."},
    {31, "Det er ikke nok ledig plass på den valgte stasjonen."},
    {32, "Oi! Denne versjonen av __PRODUCT_NAME__ fungerer bare på 64-biters operativsystem. Last ned og installer "
         "32-biters versjonen."},
    {33, "__PRODUCT_NAME__ fungerer foreløpig bare på 64-biters Windows."},
    {34, "Avinstaller"},
    {35, "Avinstaller programmet"},
    {36, "Program"},
    {37, "På nett"},
    {38, "Hjemmeside"},
    {39, "Du må starte datamaskinen på nytt for å installere den nye versjonen. Er du sikker på at du vil "
         "fortsette?"},
    {40, "Start på nytt nå"},
    {41, "Nedlastingen mislyktes. Prøv igjen, eller last ned det frakoblede installasjonsprogrammet fra "
         ORVANE_WEB_HOST "."},
    {42, "Det nettbaserte installasjonsprogrammet er utdatert. Last ned nyeste versjon fra " ORVANE_WEB_HOST "."},
    {43, "Laster ned..."},
    {44, "Kontrollerer data, vent litt..."},
    {45, "Henter nedlastingsinformasjon..."},
    {46, "__PRODUCT_NAME__ på nett"},
    {47, "Avinstaller __PRODUCT_NAME__"},
    {48, "Kjør"},
    {49, "Installasjonen starter automatisk om XXX sekunder."},
};

}  // namespace

LanguageTable NorwegianTexts() { return kTexts; }

}  // namespace orvane
