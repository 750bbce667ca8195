// Message catalogue: the texts in Windows-1252, exactly as they are written and spoken.
#include "app/message_catalogue.hpp"

#include <array>
#include <optional>
#include <string_view>

namespace cadencio::app {

namespace {

struct CatalogueEntry {
  std::string_view key;
  std::string_view text;
};

// Accented letters are written as Windows-1252 escapes ("\xE3" is a-tilde).
constexpr std::array<CatalogueEntry, 244> kCatalogue = {{
    {"CAINIC", "MARCATEMPO - V. 1.0"},
    {"CACONFIM", "Confirma o fim do programa ? "},
    {"CAFIM", "Fim do programa"},
    {"CAOPTEC",
     "Op\xE7"
     "\xF5"
     "es nas teclas : "},
    {"CAF1", "F1, ajuda"},
    {"CAF2", "F2, grava modelo"},
    {"CAF4",
     "F4, informa diapas\xE3"
     "o"},
    {"CAF6", "F6, informa novo valor"},
    {"CAF8", "F8, informa hora"},
    {"CAF9", "F9, informa novos efeitos"},
    {"CACTLF9",
     "Control F9, modelos pr\xE9"
     "-definidos"},
    {"CABARR1",
     "Barra de espa\xE7"
     "o, informa valor BPM atual"},
    {"CASET", "Setas, cima e baixo, acresce ou decresce valor em 1 BPM"},
    {"CAPG", "PGUP ou PGDOWN, acresce ou decresce valor em 10 BPM"},
    {"CAESC1", "ESC, termina o programa"},
    {"CAQUAL",
     "Qual sua op\xE7"
     "\xE3"
     "o ? "},
    {"CAA", "A -- nota LA"},
    {"CAB", "B -- nota SI"},
    {"CAD",
     "D -- nota R\xC9"
     ""},
    {"CAE", "E -- nota MI"},
    {"CAG", "G -- nota SOL"},
    {"CAX", "X -- nota MI (oitavada)"},
    {"CAM", "M -- acorde MI maior"},
    {"CAS", "S -- acorde SOL maior"},
    {"CABARR2",
     "Barra de espa\xE7"
     "o -- todas as cordas"},
    {"CAR",
     "R -- ativa a\xE7"
     "\xE3"
     "o repetida"},
    {"CAESC2",
     "ESC, retorna ao metr\xF4"
     "nomo"},
    {"CAINFNOT", "Informe a nota desejada, F1 ajuda : "},
    {"CAINFBPM", "Informe BPM, sugiro 60 : "},
    {"CAINFCOM", "Informe unidade de compasso"},
    {"CAINFBTQ",
     "Pressione : B - bin\xE1"
     "rio / T - tern\xE1"
     "rio / Q - Quatern\xE1"
     "rio"},
    {"CAOKF1", "OK, F1 ajuda"},
    {"CAARQINE",
     "Arquivo que cont\xE9"
     "m os efeitos n\xE3"
     "o existe"},
    {"CAESCSET", "Escolha com as setas, F1 ajuda"},
    {"CATRTM",
     "Informe o novo efeito para a marca\xE7"
     "\xE3"
     "o do tempo : "},
    {"CATRCO",
     "Informe o novo efeito para a marca\xE7"
     "\xE3"
     "o do compasso : "},
    {"CATRMO", "Informe o novo modelo : "},
    {"CAENV1", "F5, busca efeito"},
    {"CAENV2", "CTRL+F5, busca de novo"},
    {"CAENV3", "PGUP, anda 5 na fila"},
    {"CAENV4", "PGDN, volta 5 na fila"},
    {"CAENV5",
     "HOME, vai para o in\xED"
     "cio da fila"},
    {"CAENV6", "END, vai para o final da fila"},
    {"CAENV7", "CTRL+ENTER, testa o som a ser tocado"},
    {"CANAOINI",
     "N\xE3"
     "o consta arquivo com essa inicial"},
    {"CABUSEFE", "Digite uma letra : "},
    {"CAAPTF1",
     "Op\xE7"
     "\xE3"
     "o inv\xE1"
     "lida, aperte F1 para ajuda"},
    {"CAVALBPM", "Valor BPM = "},
    {"CAPAUATI", " -- PAUSE ATIVADA"},
    {"CAPAUDES", " -- PAUSE DESATIVADA"},
    {"CAASSPAD",
     "Deseja assumir esse modelo como padr\xE3"
     "o ? "},
    {"CADESIST", "Desistiu"},
    {"MODPAD", "OK, assumido"},
    {"CARETOR",
     "OK, retornando ao metr\xF4"
     "nomo"},
    // Said instead of "OK, assumido" when the settings file could not be written.
    {"CAERRGRV",
     "Erro: o modelo n\xE3"
     "o foi gravado"},
    // Said after a typed tempo that was not taken as it stands.
    {"CABPMINV",
     "Valor inv\xE1"
     "lido, assumido 60"},
    {"CABPMMAX",
     "M\xE1"
     "ximo 500 BPM"},
    // Help lines of the two classic keys the listing used to leave out.
    {"CAF3", "F3, revisa a tela"},
    {"CATAB", "TAB, silencia ou retoma a batida"},
    // Said after a value that has reached an end of its range.
    {"CAMAXIMO",
     ", m\xE1"
     "ximo"},
    {"CAMINIMO",
     ", m\xED"
     "nimo"},
    // The tuner that listens (O in the tuning fork).
    {"CAO", "O -- afinador, ouve a corda tocada"},
    {"CAOUVIR", "Afinador: toque uma corda, F1 ajuda"},
    {"CAOUVRES",
     "Diz a nota e quantos cents est\xE1"
     " acima ou abaixo"},
    {"CAOUVF",
     "F -- afina\xE7"
     "\xE3"
     "o fina por toques, ou respostas faladas"},
    {"CAOUVESC",
     "ESC ou O, retorna ao diapas\xE3"
     "o"},
    {"CAFINO",
     "Afina\xE7"
     "\xE3"
     "o fina por toques"},
    {"CAPALAV", "Respostas faladas"},
    {"CANENHUM", "Nenhuma nota"},
    {"CASEMMIC", "Nenhum microfone encontrado"},
    {"CARETDIA",
     "OK, retornando ao diapas\xE3"
     "o"},
    // Said once at start when the voice asked for cannot speak, or the settings cannot be
    // stored (the directory follows).
    {"CAVOZESP",
     "Voz do espeak-ng indispon\xED"
     "vel, usando a voz gravada"},
    {"CAVOZSPD",
     "Voz do speech-dispatcher indispon\xED"
     "vel, usando a voz gravada"},
    {"CAVOZINT",
     "Voz do sintetizador interno indispon\xED"
     "vel, usando a voz gravada"},
    {"CACFGGRV",
     "Configura\xE7\xF5"
     "es n\xE3"
     "o podem ser gravadas em "},
    // The tempo and measure taken from the stored settings, said at start.
    {"CABPM", " BPM"},
    {"CABINAR",
     ", bin\xE1"
     "rio"},
    {"CATERNAR",
     ", tern\xE1"
     "rio"},
    {"CAQUATER",
     ", quatern\xE1"
     "rio"},
    {"CACOMPDE", ", compasso de "},
    // The keys beyond the classic ones: what they say when used, and their help lines.
    {"CAVOLUME", "Volume "},
    {"CASUBDIV", "Notas por tempo = "},
    {"CAVOL1", "Setas, esquerda e direita, diminui ou aumenta o volume da batida"},
    {"CASUB1",
     "S min\xFA"
     "sculo, 1, 2, 3 ou 4 notas por tempo"},
    {"CATAP1", "Enter, batido 3 vezes ou mais, marca o BPM"},
    {"CACONLIG", "Contagem ligada"},
    {"CACONDES", "Contagem desligada"},
    {"CAINILIG", "Contagem inicial ligada"},
    {"CAINIDES", "Contagem inicial desligada"},
    {"CAINFTOC", "Compassos tocados : "},
    {"CAINFMUD",
     "Compassos em sil\xEA"
     "ncio : "},
    {"CAMUDLIG", "Compassos mudos ligados"},
    {"CAMUDDES", "Compassos mudos desligados"},
    {"CAINFFIN", "Informe o BPM final : "},
    {"CAINFPAS", "Informe o passo em BPM : "},
    {"CAINFCAD", "A cada quantos compassos : "},
    {"CATRELIG", "Treino de andamento ligado"},
    {"CATREDES", "Treino de andamento desligado"},
    {"CATREFIM",
     "Treino de andamento conclu\xED"
     "do"},
    {"CAMUD1",
     "M min\xFA"
     "sculo, compassos tocados e compassos em sil\xEA"
     "ncio"},
    {"CATRE1",
     "R min\xFA"
     "sculo, treino de andamento, liga ou desliga"},
    {"CACON1",
     "C min\xFA"
     "sculo, conta os tempos em voz alta"},
    {"CAINI1",
     "I min\xFA"
     "sculo, conta um compasso antes de come\xE7"
     "ar"},
    // The tuning fork's repeat switch (R), played from its recordings.
    {"CAREP",
     "Repeti\xE7"
     "\xE3"
     "o ligada"},
    {"CANAOREP",
     "Repeti\xE7"
     "\xE3"
     "o desligada"},
    // The accent editor (a).
    {"CAACENTO",
     "Acentos: setas mudam o tempo e o n\xED"
     "vel, g agrupa, c conta por grupos, Enter grava, ESC sai"},
    {"CATEMPO", "Tempo "},
    {"CANIVEL0", ", mudo"},
    {"CANIVEL1", ", fraco"},
    {"CANIVEL2", ", normal"},
    {"CANIVEL3",
     ", m\xE9"
     "dio"},
    {"CANIVEL4", ", forte"},
    {"CAACGRAV", "Acentos gravados"},
    {"CAACMANT", "Acentos mantidos"},
    {"CAGRULIG", "Contagem por grupos ligada"},
    {"CAGRUDES", "Contagem por grupos desligada"},
    {"CASEMAGR", "Compasso sem agrupamentos"},
    {"CAAGRSEM", "Sem agrupamento"},
    {"CAAGRUPA", "Agrupamento "},
    {"CAMAIS", " mais "},
    {"CAACE1",
     "A min\xFA"
     "sculo, acentos de cada tempo do compasso"},
    // The set list (l, n, p).
    {"CAREPERT",
     "Repert\xF3"
     "rio: setas escolhem, Enter toca, + acrescenta, Delete remove, Control e setas movem, ESC "
     "sai"},
    {"CAREPVAZ",
     "Repert\xF3"
     "rio vazio"},
    {"CAREPCHE",
     "Repert\xF3"
     "rio cheio: 999 m\xFA"
     "sicas"},
    {"CAREPIGN",
     "M\xFA"
     "sicas ignoradas no repert\xF3"
     "rio: "},
    {"CANOMMUS",
     "Nome da m\xFA"
     "sica : "},
    {"CAMUSACR",
     "M\xFA"
     "sica acrescentada"},
    {"CAREMCON",
     "Remove a m\xFA"
     "sica ? "},
    {"CAMUSREM",
     "M\xFA"
     "sica removida"},
    {"CALIS1",
     "L min\xFA"
     "sculo, repert\xF3"
     "rio de m\xFA"
     "sicas"},
    {"CANP1",
     "N ou P min\xFA"
     "sculo, pr\xF3"
     "xima ou anterior m\xFA"
     "sica do repert\xF3"
     "rio"},
    // What could not be read at start, and the set list's limits and failed writes.
    {"CACOMINV",
     "Compasso inv\xE1"
     "lido: "},
    {"CACOMASS",
     ", assumido quatern\xE1"
     "rio"},
    {"CASOM", "Som "},
    {"CASOMNAO",
     " n\xE3"
     "o p\xF4"
     "de ser lido: "},
    {"CASOMNEX",
     "arquivo n\xE3"
     "o encontrado"},
    {"CASOMABR",
     "arquivo n\xE3"
     "o p\xF4"
     "de ser aberto"},
    {"CASOMGRD", "arquivo grande demais"},
    {"CASOMVAZ", "arquivo vazio"},
    {"CASOMINC", "arquivo incompleto"},
    {"CASOMFMT",
     "formato n\xE3"
     "o suportado"},
    {"CAREPCMB",
     "Repert\xF3"
     "rio cheio: o arquivo chegou a 1 megabyte"},
    {"CAREPGRD",
     "Repert\xF3"
     "rio com mais de 1 megabyte: o final n\xE3"
     "o foi lido, e o arquivo n\xE3"
     "o ser\xE1"
     " alterado"},
    {"CAREPALM",
     "Repert\xF3"
     "rio cheio, m\xFA"
     "sicas n\xE3"
     "o lidas al\xE9"
     "m de 999: "},
    {"CAREPCAR",
     "Nomes com caracteres que n\xE3"
     "o podem ser mostrados: "},
    {"CAMUSANG",
     "M\xFA"
     "sica acrescentada, mas o repert\xF3"
     "rio n\xE3"
     "o foi gravado"},
    {"CAMUSRNG",
     "M\xFA"
     "sica removida, mas o repert\xF3"
     "rio n\xE3"
     "o foi gravado"},
    {"CAMUSMNG",
     "M\xFA"
     "sica movida, mas o repert\xF3"
     "rio n\xE3"
     "o foi gravado"},
    // A song's map: the end of the song, the place in the map, and the keys of the sections
    // and of counting the measures.
    {"CAMAPFIM",
     "Fim da m\xFA"
     "sica"},
    {"CAMAPCOM", ", compasso "},
    {"CAMAPDE", " de "},
    {"CAMAPSEM",
     "M\xFA"
     "sica sem mapa"},
    {"CAMAPX1",
     "X ou Z min\xFA"
     "sculo, pr\xF3"
     "xima ou anterior se\xE7\xE3"
     "o do mapa da m\xFA"
     "sica"},
    {"CAMAPA",
     "Mapa: setas escolhem, + acrescenta, Enter muda, Delete remove, Control e setas movem, R "
     "repete, ESC volta"},
    {"CAMAPVAZ", "Mapa vazio"},
    {"CASECAO",
     "Se\xE7\xE3"
     "o : "},
    {"CASECINV",
     "Se\xE7\xE3"
     "o n\xE3"
     "o entendida"},
    {"CASECACR",
     "Se\xE7\xE3"
     "o acrescentada"},
    {"CASECMUD",
     "Se\xE7\xE3"
     "o mudada"},
    {"CASECREM",
     "Se\xE7\xE3"
     "o removida"},
    {"CASECMOV",
     "Se\xE7\xE3"
     "o movida"},
    {"CAMAPREP",
     "Repete ao fim da m\xFA"
     "sica"},
    {"CAMAPPAR",
     "Para ao fim da m\xFA"
     "sica"},
    {"CAMAPCHE", "Mapa cheio"},
    {"CAMAPNGR",
     "O repert\xF3"
     "rio n\xE3"
     "o foi gravado"},
    {"CARETREP",
     "OK, retornando ao repert\xF3"
     "rio"},
    {"CACCPLIG", "Contagem de compassos ligada"},
    {"CACCPDES", "Contagem de compassos desligada"},
    {"CACCP1",
     "Q min\xFA"
     "sculo, conta os compassos da se\xE7\xE3"
     "o em vez dos tempos"},
    // Where am I (o): the whole state in one line, and its help line.
    {"CAOND1",
     "O min\xFA"
     "sculo, onde estou: andamento, compasso, acentos e o que est\xE1"
     " ligado"},
    {"CAONDMUS",
     "M\xFA"
     "sica "},
    {"CAONDACE", ", acentos "},
    {"CAONDAGR", ", agrupamento "},
    {"CAONDE", " e "},
    {"CAONDNOT", " notas por tempo"},
    {"CAONDCON", ", contagem em voz alta"},
    {"CAONDGRU", " por grupos"},
    {"CAONDINI", ", contagem inicial"},
    {"CAONDTOC", " compassos tocados e "},
    {"CAONDSIL",
     " em sil\xEA"
     "ncio"},
    {"CAONDTRE", ", treino at\xE9 "},
    {"CAONDVOL", ", volume "},
    {"CAONDBAT", ", batida silenciada"},
    {"CAONDJCK",
     ", JACK, lat\xEA"
     "ncia "},
    {"CAONDMS", " milissegundos"},
    {"CAONDSEG", ", segue o transporte"},
    {"CAONDMES", ", mestre do transporte"},
    {"CAJCKPAR", "Servidor JACK parou"},
    {"CAJCKIND",
     "Servidor JACK indispon\xED"
     "vel, tocando pela placa de som"},
    {"CAJCKSEG", "Transporte JACK: seguindo"},
    {"CAJCKMES", "Transporte JACK: mestre"},
    // Polyrhythms and feels (j, y, u, w).
    {"CAPOL1",
     "J min\xFA"
     "sculo, polirritmo, liga ou desliga"},
    {"CACAM1",
     "Y min\xFA"
     "sculo, som e volume da segunda camada"},
    {"CACAMCO1",
     "U min\xFA"
     "sculo, conta a segunda camada ou os tempos"},
    {"CASWI1",
     "W min\xFA"
     "sculo, swing e shuffle"},
    {"CAINFPOL", "Polirritmo, notas contra tempos : "},
    {"CAPOLCON", " contra "},
    {"CAPOLDES", "Polirritmo desligado"},
    {"CACAMSOM", "Som da segunda camada"},
    {"CACAMVOL", "Volume da camada "},
    {"CAINFVOL", "Volume de 1 a 10 : "},
    {"CACAMCON", "Contagem na segunda camada"},
    {"CATEMCON", "Contagem nos tempos"},
    {"CASHULIG", "Shuffle ligado"},
    {"CASHUDES", "Shuffle desligado"},
    {"CASWING0", "Reto"},
    {"CASWING1", "Swing leve, 58 por cento"},
    {"CASWING2", "Swing de tercina, 67 por cento"},
    {"CASWING3", "Swing pontuado, 75 por cento"},
    {"CAONDSHU", ", shuffle"},
    {"CAONDCAM", ", contagem na camada"},
    {"CAONDESC", ", escutando o m\xFAsico"},
    // Listening to the player (e, v) and the latency calibration (d).
    {"CAESU1",
     "E min\xFA"
     "sculo, escuta o m\xFA"
     "sico, liga ou desliga"},
    {"CAVER1",
     "V min\xFA"
     "sculo, diz como o m\xFA"
     "sico tocou"},
    {"CACAL1",
     "D min\xFA"
     "sculo, mede a lat\xEA"
     "ncia do microfone"},
    {"CAESULIG", "Escuta ligada"},
    {"CAESUDES", "Escuta desligada"},
    {"CAESUPAR", "O microfone parou, escuta desligada"},
    {"CAESUPAU", "Escuta em pausa enquanto o afinador ouve"},
    {"CAESUNEN", "Nenhuma nota ouvida"},
    {"CAESUNOTA", " nota"},
    {"CAESUNOTAS", " notas"},
    {"CAESUADI", " milissegundos adiantado"},
    {"CAESUATR", " milissegundos atrasado"},
    {"CAESUNOT", "no tempo"},
    {"CAESUVAR",
     ", varia\xE7"
     "\xE3"
     "o "},
    {"CAESUACE", "acelerando"},
    {"CAESUARR", "atrasando"},
    {"CAESUEST",
     "est\xE1"
     "vel"},
    {"CAESUFOR", " fora do tempo"},
    {"CAESUVOL", "voltou "},
    {"CAESULAT",
     "Lat\xEA"
     "ncia n\xE3"
     "o medida: D calibra"},
    {"CACALINI",
     "Calibra\xE7"
     "\xE3"
     "o: aproxime o microfone do alto-falante e fique em sil\xEA"
     "ncio"},
    {"CACALOUV", "Ouvindo a batida"},
    {"CACALNAO",
     "Batida n\xE3"
     "o ouvida: aproxime o microfone e tente de novo"},
    {"CACALLAT",
     "Lat\xEA"
     "ncia "},
    {"CACALMS", " milissegundos"},
    {"CACALGRV",
     "Lat\xEA"
     "ncia gravada"},
    // Ableton Link (k): on and off with the number of peers, and its help line.
    {"CALNKLIG", "Link ligado, "},
    {"CALNKDES", "Link desligado"},
    {"CALNKPAR", " parceiros"},
    {"CALNKPA1", " parceiro"},
    {"CALNK1",
     "K min\xFA"
     "sculo, Link, liga ou desliga"},
    {"CAONDLNK", ", Link ligado"},
}};

}  // namespace

std::optional<std::string> FindMessageText(const std::string& key) {
  for (const auto& entry : kCatalogue) {
    if (entry.key == key) return std::string(entry.text);
  }
  return std::nullopt;
}

std::string MessageText(const std::string& key) {
  return FindMessageText(key).value_or("--> Mensagem inv\xE1lida: " + key);
}

std::vector<std::string> CatalogueKeys() {
  std::vector<std::string> keys;
  for (const auto& entry : kCatalogue) keys.emplace_back(entry.key);
  return keys;
}

void SayMessage(console::Console& console, speech::SpeechFrontEnd& speech, const std::string& key,
                int line_ends) {
  std::string text = MessageText(key);
  if (line_ends >= 0) console.Write(text);
  for (int i = 0; i < line_ends; ++i) console.WriteLine();
  if (speech.HasPromptWav(key)) {
    speech.PlayPromptWav(key);
  } else {
    speech.SpeakText(text);
  }
}

const char* MeasureKey(int beats) {
  // Indexed by the beats (none below two).
  constexpr std::array<const char*, 5> kKeys = {nullptr, nullptr, "CABINAR", "CATERNAR",
                                                "CAQUATER"};
  return beats >= 0 && beats < 5 ? kKeys[static_cast<std::size_t>(beats)] : nullptr;
}

void SayMeasure(console::Console& console, speech::SpeechFrontEnd& speech, int beats) {
  if (const char* key = MeasureKey(beats)) return SayMessage(console, speech, key, 0);
  SayMessage(console, speech, "CACOMPDE", 0);
  speech.WriteSpeak(std::to_string(beats));
}

void SayPeers(console::Console& console, speech::SpeechFrontEnd& speech, int peers) {
  speech.WriteSpeak(std::to_string(peers));
  SayMessage(console, speech, peers == 1 ? "CALNKPA1" : "CALNKPAR", 1);
}

}  // namespace cadencio::app
