// French texts.
#include "ui/LanguageTables.h"

namespace orvane {
namespace {

constexpr TextEntry kTexts[] = {
    {0, "Cliquez pour installer"},
    {1, "Personnaliser"},
    {2, "J'accepte"},
    {3, "Contrat de licence utilisateur"},
    {4, "Créer un raccourci sur le bureau"},
    {5, "Créer un raccourci dans le menu Démarrer"},
    {6, "Lancer automatiquement au démarrage du système"},
    {7, "Participer"},
    {8, "Programme d'amélioration de l'expérience utilisateur"},
    {9, "Lancer __PRODUCT_NAME__"},
    {10, "Voulez-vous vraiment quitter l'installation de __PRODUCT_NAME__ ?"},
    {11, "OK"},
    {12, "Annuler"},
    {13, "Impossible de poursuivre l'installation, car __PRODUCT_NAME__ est déjà en cours d'exécution. Fermez-le "
         "puis réessayez, ou forcez sa fermeture."},
    {14, "Réessayer"},
    {15, "Forcer la fermeture"},
    {16, "Créer une icône de lancement rapide"},
    {17, "Sélectionnez un dossier dans la liste ci-dessous, puis cliquez sur OK."},
    {18, "Nouveautés"},
    {19, "Oui"},
    {20, "Non"},
    {21, "Installation en cours..."},
    {22, "Voulez-vous vraiment désinstaller ?"},
    {23, "Désinstaller"},
    {24, "Conserver mes paramètres personnels."},
    {25, "Désinstallation en cours..."},
    {26, "Désinstallation terminée ! Merci de votre soutien !"},
    {27, "Terminer"},
    {28, "Windows XP n'est plus pris en charge."},
    {29, "Windows Vista n'est plus pris en charge."},
    {30, "Le chemin d'installation n'est pas valide."},
    {31, "L'espace libre sur le lecteur sélectionné est insuffisant."},
    {32, "Oups ! Cette version de __PRODUCT_NAME__ ne fonctionne que sur un système d'exploitation 64 bits. "
         "Veuillez télécharger et installer la version 32 bits."},
    {33, "__PRODUCT_NAME__ ne fonctionne actuellement que sous Windows 64 bits."},
    {34, "Désinstaller"},
    {35, "Désinstaller l'application"},
    {36, "Application"},
    {37, "En ligne"},
    {38, "Page d'accueil"},
    {39, "Vous devez redémarrer votre ordinateur pour installer la nouvelle version. Voulez-vous continuer ?"},
    {40, "Redémarrer maintenant"},
    {41, "Échec du téléchargement. Veuillez réessayer ou télécharger le programme d'installation hors ligne sur "
         ORVANE_WEB_HOST "."},
    {42, "Le programme d'installation en ligne est obsolète. Veuillez télécharger la dernière version sur "
         ORVANE_WEB_HOST "."},
    {43, "Téléchargement..."},
    {44, "Vérification des données, veuillez patienter..."},
    {45, "Récupération des informations de téléchargement..."},
    {46, "__PRODUCT_NAME__ en ligne"},
    {47, "Désinstaller __PRODUCT_NAME__"},
    {48, "Lancer"},
    {49, "L'installation démarrera automatiquement dans XXX secondes."},
    {50, "Téléchargement du fichier d'installation..."},
    {51, "officielle"},
};

}  // namespace

LanguageTable FrenchTexts() { return kTexts; }

}  // namespace orvane
