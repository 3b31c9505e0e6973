#include "app/command_line.h"

namespace app {

namespace {

const char* const kUsage =
    "Uso: quelvora ['*'<projeto>]\n"
    "     quelvora --version | --help\n"
    "\n"
    "Abre o projeto (*.jjj) dado logo após \"*\", no caminho do Windows\n"
    "(\"*D:\\proj\\mapa.jjj\") ou no caminho deste sistema (\"*/home/ana/mapa.jjj\").\n"
    "Só um Quelvora roda por usuário: um segundo início traz a janela aberta\n"
    "para a frente, que avisa quando o projeto pedido não foi aberto.\n"
    "\n"
    "Variáveis de ambiente:\n"
    "  QUELVORA_DRIVES      letras de drive e suas pastas: \"D=/media/dados;E=/mnt/e\"\n"
    "                       (C: é a pasta pessoal e Z: é / quando não mapeados)\n"
    "  QUELVORA_BOOTDIR     drive de boot (seu primeiro caractere; padrão C)\n"
    "  QUELVORA_PROGRAMDIR  pasta dos arquivos temporários, de lista e baixados\n"
    "                       (padrão ~/.local/share/quelvora)\n"
    "\n"
    "Arquivos:\n"
    "  <boot>:\\xquelvora (padrão ~/xquelvora)   conf.dat, config.dat, drives.conf,\n"
    "                                          quelvora.conf (ajustes) e páginas de ajuda\n"
    "  <prefixo>/share/quelvora/help           páginas de ajuda instaladas\n"
    "  ~/.local/share/quelvora                 pasta de trabalho do programa\n";

}  // namespace

std::optional<QString> projectArgument(const QStringList& arguments) {
    if (arguments.size() < 2 || !arguments.at(1).startsWith(QLatin1Char('*'))) {
        return std::nullopt;
    }
    return arguments.at(1).mid(1);
}

std::optional<QString> informationRequest(const QStringList& arguments) {
    if (arguments.size() < 2) {
        return std::nullopt;
    }
    const QString& first = arguments.at(1);
    if (first == QLatin1String("--version")) {
        return QStringLiteral("quelvora %1\n").arg(QStringLiteral(QUELVORA_VERSION));
    }
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        return QString::fromUtf8(kUsage);
    }
    return std::nullopt;
}

QString projectNotOpenedMessage(const QString& project) {
    return QStringLiteral(
               "O projeto %1 não foi aberto: o Quelvora já está em execução. "
               "Abra-o nesta janela pelo menu \"Abrir projeto\".")
        .arg(project);
}

}  // namespace app
