// What the exit codes mean.
#include "base/exit_code.h"

namespace zz {

const char* ExitCodeMeaning(int code) {
  switch (code) {
    case ecOk: return "без замечаний";
    case ecWarnings: return "есть предупреждения";
    case ecNoISFiles: return "не найдено файлов ИС";
    case ecNoSetFormed: return "сверка не требуется: нет ИС со льготниками и перечней";
    case ecNothingListSupplied: return "уточнить отсутствие ИС со льготниками и Перечня";
    case ecSettingsOrServer: return "ошибка настроек или сервера Перечней";
    case ecCorrectingOnly: return "найдены только корректирующие ИС";
    case ecNoList: return "ИС с льготниками есть, Перечень не найден";
    case ecNoMatchingIS: return "нет подходящих ИС, но найден Перечень";
    case ecCritical: return "критическая ошибка: сверка не завершена";
    case ecErrors: return "найдены ошибки";
  }
  return "неизвестный код";
}

}  // namespace zz
