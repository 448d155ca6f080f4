// Swedish texts.
#include "ui/LanguageTables.h"

namespace orvane {
namespace {

constexpr TextEntry kTexts[] = {
    {0, "Klicka för att installera"},
    {1, "Anpassa"},
    {2, "Godkänn"},
    {3, "Licensavtal för slutanvändare"},
    {4, "Skapa en genväg på skrivbordet"},
    {5, "Skapa en genväg på Start-menyn"},
    {6, "Kör automatiskt vid systemstart"},
    {7, "Gå med"},
    {8, "Program för förbättring av användarupplevelsen"},
    {9, "Starta __PRODUCT_NAME__"},
    {10, "Vill du verkligen avbryta installationen av __PRODUCT_NAME__?"},
    {11, "OK"},
    {12, "Avbryt"},
    {13, "Installationen kan inte fortsätta eftersom __PRODUCT_NAME__ redan körs. Stäng __PRODUCT_NAME__ och försök "
         "igen, eller tvinga fram en stängning."},
    {14, "Försök igen"},
    {15, "Tvinga stängning"},
    {16, "Skapa en ikon i Snabbstart"},
    {17, "Välj en mapp i listan nedan och klicka sedan på OK."},
    {18, "Nyheter"},
    {19, "Ja"},
    {20, "Nej"},
    {21, "Installerar..."},
    {22, "Vill du verkligen avinstallera?"},
    {23, "Avinstallera"},
    {24, "Behåll mina personliga inställningar."},
    {25, "Avinstallerar..."},
    {26, "Avinstallationen är klar! Tack för ditt stöd!"},
    {27, "Slutför"},
    {28, "Windows XP stöds inte längre."},
    {29, "Windows Vista stöds inte längre."},
    {30, "Installationssökvägen är ogiltig."},
    {31, "Det finns inte tillräckligt med ledigt utrymme på den valda enheten."},
    {32, "Hoppsan! Den här versionen av __PRODUCT_NAME__ fungerar bara på 64-bitars operativsystem. Ladda ned och "
         "installera 32-bitarsversionen."},
    {33, "__PRODUCT_NAME__ fungerar för närvarande bara på 64-bitars Windows."},
    {34, "Avinstallera"},
    {35, "Avinstallera programmet"},
    {36, "Program"},
    {37, "Online"},
    {38, "Startsida"},
    {39, "Du måste starta om datorn för att installera den nya versionen. Vill du fortsätta?"},
    {40, "Starta om nu"},
    {41, "Nedladdningen misslyckades. Försök igen eller ladda ned offlineinstallationsprogrammet från "
         ORVANE_WEB_HOST "."},
    {42, "Onlineinstallationsprogrammet är inaktuellt. Ladda ned den senaste versionen från " ORVANE_WEB_HOST "."},
    {43, "Laddar ned..."},
    {44, "Kontrollerar data, vänta..."},
    {45, "Hämtar nedladdningsinformation..."},
    {46, "__PRODUCT_NAME__ Online"},
    {47, "Avinstallera __PRODUCT_NAME__"},
    {48, "Starta"},
    {49, "Installationen startar automatiskt om XXX sekunder."},
    {50, "Laddar ned installationsfil..."},
    {51, "officiell"},
};

}  // namespace

LanguageTable SwedishTexts() { return kTexts; }

}  // namespace orvane
