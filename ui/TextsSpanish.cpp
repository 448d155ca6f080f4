// Spanish texts (also used for Catalan systems).
#include "ui/LanguageTables.h"

namespace orvane {
namespace {

constexpr TextEntry kTexts[] = {
    {0, "Haga clic para instalar"},
    {1, "Personalizar"},
    {2, "Acepto"},
    {3, "Contrato de licencia de usuario"},
    {4, "Crear un acceso directo en el escritorio"},
    {5, "Crear un acceso directo en el menú Inicio"},
    {6, "Ejecutar automáticamente al iniciar el sistema"},
    {7, "Unirme"},
    {8, "Programa de mejora de la experiencia del usuario"},
    {9, "Iniciar __PRODUCT_NAME__"},
    {10, "¿Seguro que desea salir de la instalación de __PRODUCT_NAME__?"},
    {11, "Aceptar"},
    {12, "Cancelar"},
    {13, "No se puede continuar con la instalación porque __PRODUCT_NAME__ ya se está ejecutando. Ciérrelo para "
         "volver a intentarlo o fuerce el cierre."},
    {14, "Reintentar"},
    {15, "Forzar cierre"},
    {16, "Crear un icono de inicio rápido"},
    {17, "Seleccione una carpeta de la lista siguiente y haga clic en Aceptar."},
    {18, "Novedades"},
    {19, "Sí"},
    {20, "No"},
    {21, "Instalando..."},
    {22, "¿Seguro que desea desinstalar?"},
    {23, "Desinstalar"},
    {24, "Conservar mi configuración personal."},
    {25, "Desinstalando..."},
    {26, "¡Desinstalación completada! ¡Gracias por su apoyo!"},
    {27, "Finalizar"},
    {28, "Windows XP ya no es compatible."},
    {29, "Windows Vista ya no es compatible."},
    {30, "La ruta de instalación no es válida."},
    {31, "No hay suficiente espacio libre en la unidad seleccionada."},
    {32, "¡Vaya! Esta versión de __PRODUCT_NAME__ solo funciona en sistemas operativos de 64 bits. Descargue e "
         "instale la versión de 32 bits."},
    {33, "__PRODUCT_NAME__ actualmente solo funciona en Windows de 64 bits."},
    {34, "Desinstalar"},
    {35, "Desinstalar aplicación"},
    {36, "Aplicación"},
    {37, "En línea"},
    {38, "Página principal"},
    {39, "Debe reiniciar el equipo para instalar la nueva versión. ¿Seguro que desea continuar?"},
    {40, "Reiniciar ahora"},
    {41, "Error en la descarga. Vuelva a intentarlo o descargue el instalador sin conexión desde " ORVANE_WEB_HOST
         "."},
    {42, "El instalador en línea está desactualizado. Descargue la versión más reciente desde " ORVANE_WEB_HOST "."},
    {43, "Descargando..."},
    {44, "Comprobando datos, espere..."},
    {45, "Obteniendo información de descarga..."},
    {46, "__PRODUCT_NAME__ en línea"},
    {47, "Desinstalar __PRODUCT_NAME__"},
    {48, "Ejecutar"},
    {49, "La instalación comenzará automáticamente en XXX segundos."},
    {50, "Descargando archivo de instalación..."},
    {51, "oficial"},
};

}  // namespace

LanguageTable SpanishTexts() { return kTexts; }

}  // namespace orvane
