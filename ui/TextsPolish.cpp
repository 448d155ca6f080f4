// Polish texts.
#include "ui/LanguageTables.h"

namespace orvane {
namespace {

constexpr TextEntry kTexts[] = {
    {0, "Kliknij, aby zainstalować"},
    {1, "Niestandardowa"},
    {2, "Akceptuję"},
    {3, "Umowa licencyjna użytkownika"},
    {4, "Utwórz skrót na pulpicie"},
    {5, "Utwórz skrót w menu Start"},
    {6, "Uruchamiaj automatycznie przy starcie systemu"},
    {7, "Dołącz"},
    {8, "Program poprawy jakości obsługi użytkowników"},
    {9, "Uruchom __PRODUCT_NAME__"},
    {10, "Czy na pewno chcesz przerwać instalację __PRODUCT_NAME__?"},
    {11, "OK"},
    {12, "Anuluj"},
    {13, "Nie można kontynuować instalacji, ponieważ __PRODUCT_NAME__ jest już uruchomiony. Zamknij go i spróbuj "
         "ponownie lub wymuś zamknięcie."},
    {14, "Spróbuj ponownie"},
    {15, "Wymuś zamknięcie"},
    {16, "Utwórz ikonę szybkiego uruchamiania"},
    {17, "Wybierz folder z poniższej listy, a następnie kliknij OK."},
    {18, "Co nowego"},
    {19, "Tak"},
    {20, "Nie"},
    {21, "Instalowanie..."},
    {22, "Czy na pewno chcesz odinstalować?"},
    {23, "Odinstaluj"},
    {24, "Zachowaj moje ustawienia osobiste."},
    {25, "Odinstalowywanie..."},
    {26, "Odinstalowywanie zakończone! Dziękujemy za wsparcie!"},
    {27, "Zakończ"},
    {28, "System Windows XP nie jest już obsługiwany."},
    {29, "System Windows Vista nie jest już obsługiwany."},
    {30, "Ścieżka instalacji jest nieprawidłowa."},
    {31, "Na wybranym dysku nie ma wystarczającej ilości wolnego miejsca."},
    {32, "Ups! Ta wersja __PRODUCT_NAME__ działa tylko w 64-bitowym systemie operacyjnym. Pobierz i zainstaluj "
         "wersję 32-bitową."},
    {33, "__PRODUCT_NAME__ działa obecnie tylko w 64-bitowym systemie Windows."},
    {34, "Odinstaluj"},
    {35, "Odinstaluj aplikację"},
    {36, "Aplikacja"},
    {37, "Online"},
    {38, "Strona główna"},
    {39, "Aby zainstalować nową wersję, musisz ponownie uruchomić komputer. Czy na pewno chcesz kontynuować?"},
    {40, "Uruchom ponownie teraz"},
    {41, "Pobieranie nie powiodło się. Spróbuj ponownie lub pobierz instalator offline ze strony " ORVANE_WEB_HOST
         "."},
    {42, "Instalator online jest nieaktualny. Pobierz najnowszą wersję ze strony " ORVANE_WEB_HOST "."},
    {43, "Pobieranie..."},
    {44, "Sprawdzanie danych, proszę czekać..."},
    {45, "Zbieranie informacji o pobieraniu..."},
    {46, "__PRODUCT_NAME__ Online"},
    {47, "Odinstaluj __PRODUCT_NAME__"},
    {48, "Uruchom"},
    {49, "Instalacja rozpocznie się automatycznie za XXX s."},
    {50, "Pobieranie pliku instalacyjnego..."},
    {51, "oficjalna"},
};

}  // namespace

LanguageTable PolishTexts() { return kTexts; }

}  // namespace orvane
