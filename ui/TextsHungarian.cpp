// Hungarian texts.
#include "ui/LanguageTables.h"

namespace orvane {
namespace {

constexpr TextEntry kTexts[] = {
    {0, "Kattintson a telepítéshez"},
    {1, "Egyéni"},
    {2, "Elfogadom"},
    {3, "Felhasználói licencszerződés"},
    {4, "Asztali parancsikon létrehozása"},
    {5, "Start menü parancsikon létrehozása"},
    {6, "Automatikus indítás a rendszer indulásakor"},
    {7, "Csatlakozom"},
    {8, "Felhasználói élmény javítási program"},
    {9, "__PRODUCT_NAME__ indítása"},
    {10, "Biztosan kilép a(z) __PRODUCT_NAME__ telepítéséből?"},
    {11, "OK"},
    {12, "Mégse"},
    {13, "A telepítés nem folytatható, mert a(z) __PRODUCT_NAME__ már fut. Zárja be, majd próbálja újra, vagy "
         "kényszerítse a bezárást."},
    {14, "Újrapróbálkozás"},
    {15, "Bezárás kényszerítése"},
    {16, "Gyorsindító ikon létrehozása"},
    {17, "Válasszon egy mappát az alábbi listából, majd kattintson az OK gombra."},
    {18, "Újdonságok"},
    {19, "Igen"},
    {20, "Nem"},
    {21, "Telepítés..."},
    {22, "Biztosan el szeretné távolítani?"},
    {23, "Eltávolítás"},
    {24, "Személyes beállításaim megtartása."},
    {25, "Eltávolítás folyamatban..."},
    {26, "Az eltávolítás befejeződött! Köszönjük a támogatását!"},
    {27, "Befejezés"},
    {28, "A Windows XP már nem támogatott."},
    {29, "A Windows Vista már nem támogatott."},
    {30, "A telepítési útvonal érvénytelen."},
    {31, "Nincs elég szabad hely a kiválasztott meghajtón."},
    {32, "Hoppá! A(z) __PRODUCT_NAME__ ezen verziója csak 64 bites operációs rendszeren működik. Töltse le és "
         "telepítse a 32 bites verziót."},
    {33, "A(z) __PRODUCT_NAME__ jelenleg csak 64 bites Windows rendszeren működik."},
    {34, "Eltávolítás"},
    {35, "Alkalmazás eltávolítása"},
    {36, "Alkalmazás"},
    {37, "Online"},
    {38, "Kezdőlap"},
    {39, "Az új verzió telepítéséhez újra kell indítania a számítógépet. Biztosan folytatja?"},
    {40, "Újraindítás most"},
    {41, "A letöltés nem sikerült. Próbálja újra, vagy töltse le az offline telepítőt innen: " ORVANE_WEB_HOST "."},
    {42, "Az online telepítő elavult. A legújabb verziót innen töltheti le: " ORVANE_WEB_HOST "."},
    {43, "Letöltés..."},
    {44, "Adatok ellenőrzése, kérjük, várjon..."},
    {45, "Letöltési információk lekérése..."},
    {46, "__PRODUCT_NAME__ Online"},
    {47, "__PRODUCT_NAME__ eltávolítása"},
    {48, "Indítás"},
    {49, "A telepítés XXX másodperc múlva automatikusan elindul."},
    {50, "Telepítőfájl letöltése..."},
    {51, "hivatalos"},
};

}  // namespace

LanguageTable HungarianTexts() { return kTexts; }

}  // namespace orvane
