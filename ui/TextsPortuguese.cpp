// Portuguese (Brazil) texts. Ids 39 and 40 are listed twice, first in English
// and then translated; the later rows are the ones shown.
#include "ui/LanguageTables.h"

namespace orvane {
namespace {

constexpr TextEntry kTexts[] = {
    {0, "Clique para instalar"},
    {1, "Personalizar"},
    {2, "Aceito"},
    {3, "Contrato de Licença do Usuário"},
    {4, "Criar um atalho na área de trabalho"},
    {5, "Criar um atalho no menu Iniciar"},
    {6, "Executar automaticamente ao iniciar o sistema"},
    {7, "Participar"},
    {8, "Programa de Melhoria da Experiência do Usuário"},
    {9, "Iniciar __PRODUCT_NAME__"},
    {10, "Tem certeza de que deseja sair da instalação do __PRODUCT_NAME__?"},
    {11, "OK"},
    {12, "Cancelar"},
    {13, "Não é possível continuar a instalação porque o __PRODUCT_NAME__ já está em execução. Feche-o para tentar "
         "novamente ou force o fechamento."},
    {14, "Tentar novamente"},
    {15, "Forçar fechamento"},
    {16, "Criar um ícone de Inicialização Rápida"},
    {17, "Selecione uma pasta na lista abaixo e clique em OK."},
    {18, "Novidades"},
    {19, "Sim"},
    {20, "Não"},
    {21, "Instalando..."},
    {22, "Tem certeza de que deseja desinstalar?"},
    {23, "Desinstalar"},
    {24, "Manter minhas configurações pessoais."},
    {25, "Desinstalando..."},
    {26, "Desinstalação concluída! Obrigado pelo seu apoio!"},
    {27, "Concluir"},
    {28, "O Windows XP não é mais suportado."},
    {29, "O Windows Vista não é mais suportado."},
    {30, "O caminho de instalação é inválido."},
    {31, "Não há espaço livre suficiente na unidade selecionada."},
    {32, "Ops! Esta versão do __PRODUCT_NAME__ funciona apenas em sistemas operacionais de 64 bits. Baixe e "
         "instale a versão de 32 bits."},
    {33, "No momento, o __PRODUCT_NAME__ funciona apenas no Windows de 64 bits."},
    {34, "Desinstalar"},
    {35, "Desinstalar aplicativo"},
    {36, "Aplicativo"},
    {37, "On-line"},
    {38, "Página inicial"},
    {39, "You must restart your computer to install the new version. Are you sure to proceed?"},
    {40, "Restart Now"},
    {39, "Você precisa reiniciar o computador para instalar a nova versão. Tem certeza de que deseja continuar?"},
    {40, "Reiniciar agora"},
    {41, "Falha no download. Tente novamente ou baixe o instalador offline em " ORVANE_WEB_HOST "."},
    {42, "O instalador on-line está desatualizado. Baixe a versão mais recente em " ORVANE_WEB_HOST "."},
    {43, "Baixando..."},
    {44, "Verificando dados, aguarde..."},
    {45, "Obtendo informações de download..."},
    {46, "__PRODUCT_NAME__ On-line"},
    {47, "Desinstalar __PRODUCT_NAME__"},
    {48, "Executar"},
    {49, "A instalação começará automaticamente em XXX segundos."},
    {50, "Baixando arquivo de instalação..."},
    {51, "oficial"},
};

}  // namespace

LanguageTable PortugueseTexts() { return kTexts; }

}  // namespace orvane
