// Czech texts.
#include "ui/LanguageTables.h"

namespace orvane {
namespace {

constexpr TextEntry kTexts[] = {
    {0, "Klikněte pro instalaci"},
    {1, "Vlastní"},
    {2, "Souhlasím"},
    {3, "Licenční smlouva"},
    {4, "Vytvořit zástupce na ploše"},
    {5, "Vytvořit zástupce v nabídce Start"},
    {6, "Spouštět při startu systému"},
    {7, "Připojit se"},
    {8, "Program zlepšování uživatelského prostředí"},
    {9, "Spustit __PRODUCT_NAME__"},
    {10, "Opravdu chcete ukončit instalaci __PRODUCT_NAME__?"},
    {11, "OK"},
    {12, "Zrušit"},
    {13, "V instalaci nelze pokračovat, protože __PRODUCT_NAME__ je spuštěn. Zavřete jej a zkuste to znovu, nebo "
         "vynuťte jeho ukončení."},
    {14, "Zkusit znovu"},
    {15, "Vynutit ukončení"},
    {16, "Vytvořit ikonu na panelu Snadné spuštění"},
    {17, "Vyberte složku ze seznamu níže a klikněte na OK."},
    {18, "Co je nového"},
    {19, "Ano"},
    {20, "Ne"},
    {21, "Probíhá instalace..."},
    {22, "Opravdu chcete provést odinstalaci?"},
    {23, "Odinstalovat"},
    {24, "Zachovat moje osobní nastavení."},
    {25, "Probíhá odinstalace..."},
    {26, "Odinstalace dokončena! Děkujeme za vaši podporu!"},
    {27, "Dokončit"},
    {28, "Systém Windows XP již není podporován."},
    {29, "Systém Windows Vista již není podporován."},
    {30, "Instalační cesta je neplatná."},
    {31, "Na vybrané jednotce není dostatek volného místa."},
    {32, "Jejda! Tato verze __PRODUCT_NAME__ funguje pouze v 64bitovém operačním systému. Stáhněte si a "
         "nainstalujte 32bitovou verzi."},
    {33, "__PRODUCT_NAME__ momentálně funguje pouze v 64bitovém systému Windows."},
    {34, "Odinstalovat"},
    {35, "Odinstalovat aplikaci"},
    {36, "Aplikace"},
    {37, "Online"},
    {38, "Domovská stránka"},
    {39, "K instalaci nové verze je nutné restartovat počítač. Opravdu chcete pokračovat?"},
    {40, "Restartovat nyní"},
    {41, "Stahování se nezdařilo. Zkuste to znovu, nebo si stáhněte offline instalátor z webu " ORVANE_WEB_HOST "."},
    {42, "Online instalátor je zastaralý. Stáhněte si prosím nejnovější verzi z webu " ORVANE_WEB_HOST "."},
    {43, "Stahování..."},
    {44, "Kontrola dat, čekejte prosím..."},
    {45, "Získávání informací o stahování..."},
    {46, "__PRODUCT_NAME__ Online"},
    {47, "Odinstalovat __PRODUCT_NAME__"},
    {48, "Spustit"},
    {49, "Instalace se automaticky spustí za XXX s."},
    {50, "Stahování instalačního souboru..."},
    {51, "oficiální"},
};

}  // namespace

LanguageTable CzechTexts() { return kTexts; }

}  // namespace orvane
