// Italian texts.
#include "ui/LanguageTables.h"

namespace orvane {
namespace {

constexpr TextEntry kTexts[] = {
    {0, "Fai clic per installare"},
    {1, "Personalizza"},
    {2, "Accetto"},
    {3, "Contratto di licenza utente"},
    {4, "Crea un collegamento sul desktop"},
    {5, "Crea un collegamento nel menu Start"},
    {6, "Avvia automaticamente all'avvio del sistema"},
    {7, "Partecipa"},
    {8, "Programma di miglioramento dell'esperienza utente"},
    {9, "Avvia __PRODUCT_NAME__"},
    {10, "Vuoi davvero uscire dall'installazione di __PRODUCT_NAME__?"},
    {11, "OK"},
    {12, "Annulla"},
    {13, "Impossibile procedere con l'installazione perché __PRODUCT_NAME__ è già in esecuzione. Chiudilo e "
         "riprova oppure forza la chiusura."},
    {14, "Riprova"},
    {15, "Forza chiusura"},
    {16, "Crea un'icona di avvio veloce"},
    {17, "Seleziona una cartella dall'elenco sottostante, quindi fai clic su OK."},
    {18, "Novità"},
    {19, "Sì"},
    {20, "No"},
    {21, "Installazione in corso..."},
    {22, "Vuoi davvero disinstallare?"},
    {23, "Disinstalla"},
    {24, "Mantieni le mie configurazioni personali."},
    {25, "Disinstallazione in corso..."},
    {26, "Disinstallazione completata! Grazie per il tuo supporto!"},
    {27, "Fine"},
    {28, "Windows XP non è più supportato."},
    {29, "Windows Vista non è più supportato."},
    {30, "Il percorso di installazione non è valido."},
    {31, "Spazio libero insufficiente sull'unità selezionata."},
    {32, "Spiacenti! Questa versione di __PRODUCT_NAME__ funziona solo su sistemi operativi a 64 bit. Scarica e "
         "installa la versione a 32 bit."},
    {33, "__PRODUCT_NAME__ attualmente funziona solo su Windows a 64 bit."},
    {34, "Disinstalla"},
    {35, "Disinstalla applicazione"},
    {36, "Applicazione"},
    {37, "Online"},
    {38, "Home page"},
    {39, "Per installare la nuova versione è necessario riavviare il computer. Vuoi continuare?"},
    {40, "Riavvia ora"},
    {41, "Download non riuscito. Riprova oppure scarica il programma di installazione offline da " ORVANE_WEB_HOST
         "."},
    {42, "Il programma di installazione online non è aggiornato. Scarica l'ultima versione da " ORVANE_WEB_HOST "."},
    {43, "Download in corso..."},
    {44, "Verifica dei dati in corso, attendere..."},
    {45, "Raccolta delle informazioni di download..."},
    {46, "__PRODUCT_NAME__ Online"},
    {47, "Disinstalla __PRODUCT_NAME__"},
    {48, "Avvia"},
    {49, "L'installazione inizierà automaticamente tra XXX secondi."},
    {50, "Download del file di installazione..."},
    {51, "ufficiale"},
};

}  // namespace

LanguageTable ItalianTexts() { return kTexts; }

}  // namespace orvane
