#include "help/help_index.h"

#include "platform/settings.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

namespace help {

namespace {

struct Entry {
    const char* keyword;
    int page;
};

// Keyword and page of every entry; the last five are about the program and
// the institution that makes it.
const Entry kEntries[] = {
    {"'", 9},
    {"%", 9},
    {"(", 9},
    {"(", 9},
    {")", 9},
    {"<", 9},
    {"=", 9},
    {">", 9},
    {"abrir projeto", 1},
    {"adicionar tema", 2},
    {"excluir tema selecionado", 2},
    {"apagar query", 9},
    {"ArcView", 19},
    {"ativar e desativar transparencia", 3},
    {"ativar legenda", 13},
    {"ativar pesquisa por cursor", 8},
    {"ativar conexão com servidor da NASA", 27},
    {"atualizar escala", 16},
    {"barra de escala", 16},
    {"blend  - conexão com servidor da NASA", 27},
    {"blend  - telas de memória", 28},
    {"campo a ser pesquisado query", 9},
    {"campo para estatística - reclassificar", 12},
    {"campo para valor unico - reclassificar", 12},
    {"círculo - paleta de cores", 13},
    {"clicar na legenda", 13},
    {"clipboard", 4},
    {"conexão com servidor da NASA", 27},
    {"coordenadas", 15},
    {"copiar para o clipboard", 4},
    {"cor básica", 13},
    {"cor pesonalizada", 13},
    {"cruz - paleta de cores", 13},
    {"distância", 11},
    {"E", 9},
    {"escala", 16},
    {"estatística", 12},
    {"excluir mapas", 2},
    {"executa mudança de símbolo - paleta de cores", 14},
    {"gravar arquivo texto  - query", 9},
    {"gravar legenda", 13},
    {"gravar projeto", 1},
    {"gravar tabela ASC - query", 9},
    {"i", 8},
    {"imagem", 2},
    {"imagem geocover - buscar através de conexão com a NASA", 27},
    {"imprimir", 5},
    {"imprimir pesquisa query", 9},
    {"intervalo de cores", 12},
    {"legenda", 13},
    {"mapa", 2},
    {"mapa completo", 7},
    {"mapa de navegação", 17},
    {"mensagem", 6},
    {"memoria", 28},
    {"M1", 28},
    {"M2", 28},
    {"mover", 2},
    {"novo projeto", 1},
    {"OU", 9},
    {"pesquisar com relatorio query", 9},
    {"pesquisar por cursor", 8},
    {"pesquisar sem relatorio query", 9},
    {"ponto - paleta de cores", 13},
    {"projeto", 1},
    {"que contém", 9},
    {"query", 9},
    {"realiza a operação estatística", 12},
    {"realiza a operação valor único", 12},
    {"realizar consultas", 9},
    {"realizar pesquisa query", 9},
    {"reclassificar", 12},
    {"retirar a seleção da consulta", 10},
    {"retirar a seleção query", 9},
    {"retornar a paleta de cores original", 14},
    {"shape", 2},
    {"tamanho do símbolo - paleta de cores", 13},
    {"transparencia", 3},
    {"triangulo - paleta de cores", 13},
    {"troca de ambientes - blend e mapas", 29},
    {"valor unico", 12},
    {"voltar a paleta de cores original", 14},
    {"zoom", 7},
    {"zoom coordenadas", 30},
    {"zoom de pesquisa query", 9},
    {"zoom dentro", 7},
    {"zoom fora", 7},
    {"zoom no mapa de navegação", 17},
    {"zoom pan", 7},
    {"zoom toll", 7},
    {"texto explicativo de itens do projeto -  mapa", 18},
    {"anexar foto", 26},
    {"anexar filme", 26},
    {"foto", 26},
    {"filme", 26},
    {"o programa Quelvora", 25},
    {"instituição autora do programa", 22},
    {"outros produtos - bases de dados", 20},
    {"outros produtos - mapas digitais", 21},
    {"outros produtos - publicações", 23},
};

}  // namespace

const QStringList& helpIndex() {
    static const QStringList entries = [] {
        QStringList list;
        for (const Entry& e : kEntries) {
            list.append(QString::fromUtf8(e.keyword).leftJustified(56, QLatin1Char(' ')) +
                        QStringLiteral(" *") + QString::number(e.page));
        }
        return list;
    }();
    return entries;
}

QStringList searchHelpIndex(const QString& text) {
    const QString wanted = text.toLower();
    QStringList found;
    for (const QString& entry : helpIndex()) {
        if (entry.toLower().contains(wanted)) {
            found.append(entry);
        }
    }
    return found;
}

QStringList sortedEntries(QStringList entries) {
    QCollator collator(QLocale(QLocale::Portuguese, QLocale::Brazil));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Entries the collation finds equal keep a fixed order between them.
    std::stable_sort(entries.begin(), entries.end(),
                     [&collator](const QString& a, const QString& b) {
                         const int order = collator.compare(a, b);
                         return order != 0 ? order < 0 : a < b;
                     });
    return entries;
}

QString entryPage(const QString& entry) {
    const QString trimmed = entry.trimmed();
    const qsizetype star = trimmed.indexOf(QLatin1Char('*'));
    return star < 0 ? trimmed : trimmed.mid(star + 1).trimmed();
}

QString helpPagePath(QChar bootDrive, const QString& page) {
    return platform::configFolder(bootDrive) + QLatin1Char('\\') + page + QStringLiteral(".htm");
}

}  // namespace help
