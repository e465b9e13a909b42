#include "fetch/refusal.h"

namespace fetch {

const char kTextFileMismatch[] = "[%s] 파일이 업데이트 서명과 일치하지 않습니다.";
const char kTextFileUnsigned[] = "[%s] 파일이 업데이트 서명에 없습니다.";
const char kTextNotInstalled[] = "\n서명이 확인되지 않은 업데이트는 설치하지 않습니다.";

void Refuse(base::RunStage stage, const std::string& status, const std::string& message) {
    throw base::RunFailure{stage, 0, status, message};
}

}  // namespace fetch
