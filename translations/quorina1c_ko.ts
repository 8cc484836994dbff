<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR">
<context>
    <name>Message</name>
    <message>
        <source>오르보에이원씨</source>
        <translation>오르보에이원씨</translation>
    </message>
    <message>
        <source>통신 포트 연결 실패.<byte value="xd"/>
포트 연결을 재 확인해 주세요.</source>
        <translation>통신 포트 연결 실패.<byte value="xd"/>
포트 연결을 재 확인해 주세요.</translation>
    </message>
    <message>
        <source>통신 포트 연결 실패.<byte value="xd"/>
포트 연결을 재 확인해 주세요.<byte value="xd"/>
<byte value="xd"/>
%1</source>
        <translation>통신 포트 연결 실패.<byte value="xd"/>
포트 연결을 재 확인해 주세요.<byte value="xd"/>
<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>%1 이 연결되었습니다.<byte value="xd"/>
오르보에이원씨의 HbA1c 결과를 받겠습니까?</source>
        <translation>%1 이 연결되었습니다.<byte value="xd"/>
오르보에이원씨의 HbA1c 결과를 받겠습니까?</translation>
    </message>
    <message>
        <source>%1 이 연결되었습니다.<byte value="xd"/>
오르보에이원씨의 혈당 결과를 받겠습니까?</source>
        <translation>%1 이 연결되었습니다.<byte value="xd"/>
오르보에이원씨의 혈당 결과를 받겠습니까?</translation>
    </message>
    <message>
        <source>데이터가 없습니다.</source>
        <translation>데이터가 없습니다.</translation>
    </message>
    <message>
        <source>오르보에이원씨로부터 데이터가 전송이 되지 않고 있습니다.<byte value="xd"/>
오르보에이원씨와의 연결 포트를 다시 확인해 주세요.</source>
        <translation>오르보에이원씨로부터 데이터가 전송이 되지 않고 있습니다.<byte value="xd"/>
오르보에이원씨와의 연결 포트를 다시 확인해 주세요.</translation>
    </message>
    <message>
        <source>새로운 데이터가 없습니다.</source>
        <translation>새로운 데이터가 없습니다.</translation>
    </message>
    <message>
        <source>Waiting....</source>
        <translation>대기 중....</translation>
    </message>
    <message>
        <source>모드 변경</source>
        <translation>모드 변경</translation>
    </message>
    <message>
        <source>데이터 전송이 시작됩니다.</source>
        <translation>데이터 전송이 시작됩니다.</translation>
    </message>
    <message>
        <source>모드 변경 명령.</source>
        <translation>모드 변경 명령.</translation>
    </message>
    <message>
        <source>모드 변경 완료.</source>
        <translation>모드 변경 완료.</translation>
    </message>
    <message>
        <source>명령 전달.</source>
        <translation>명령 전달.</translation>
    </message>
    <message>
        <source>받는 중 ...***.</source>
        <translation>받는 중 ...***.</translation>
    </message>
    <message>
        <source>받는 중 ..*.</source>
        <translation>받는 중 ..*.</translation>
    </message>
    <message>
        <source>Error count : %1</source>
        <translation>오류 횟수 : %1</translation>
    </message>
    <message>
        <source>Error. cyclic redundancy check : Fail.</source>
        <translation>오류. 순환 중복 검사 : 실패.</translation>
    </message>
    <message>
        <source>Error. the received results are not of the selected kind.</source>
        <translation>오류. 받은 결과가 선택한 항목이 아닙니다.</translation>
    </message>
    <message>
        <source>데이터 받는중 ...***.</source>
        <translation>데이터 받는중 ...***.</translation>
    </message>
    <message>
        <source>데이터 받는중 ...*.</source>
        <translation>데이터 받는중 ...*.</translation>
    </message>
    <message>
        <source>데이터 검사 완료</source>
        <translation>데이터 검사 완료</translation>
    </message>
    <message>
        <source>Error. the results could not be saved : %1.</source>
        <translation>오류. 결과를 저장할 수 없습니다 : %1.</translation>
    </message>
    <message>
        <source>Error. the results could not be saved : %1. The meter&apos;s results were not erased.</source>
        <translation>오류. 결과를 저장할 수 없습니다 : %1. 측정기의 결과는 지우지 않았습니다.</translation>
    </message>
    <message>
        <source>새로운 사용자를 추가하시겠습니까?</source>
        <translation>새로운 사용자를 추가하시겠습니까?</translation>
    </message>
    <message>
        <source>The user ID is not entered. <byte value="xd"/>
Please enter the user ID.</source>
        <translation>사용자ID가 입력되지 않았습니다. <byte value="xd"/>
사용자ID를 입력해 주세요.</translation>
    </message>
    <message>
        <source>같은 사용자ID가 ㅈ있습니다.다시 입력해 주세요.</source>
        <translation>같은 사용자ID가 ㅈ있습니다.다시 입력해 주세요.</translation>
    </message>
    <message>
        <source>현재 사용자 데이터를 삭제하시겠습니까?</source>
        <translation>현재 사용자 데이터를 삭제하시겠습니까?</translation>
    </message>
    <message>
        <source>기본 사용자는 삭제할 수 없습니다.</source>
        <translation>기본 사용자는 삭제할 수 없습니다.</translation>
    </message>
    <message>
        <source>사용자 데이터가 삭제되었습니다.</source>
        <translation>사용자 데이터가 삭제되었습니다.</translation>
    </message>
    <message>
        <source>The user ID must not contain / \ [ ] = ; or control characters.<byte value="xd"/>
Please enter another user ID.</source>
        <translation>사용자ID에는 / \ [ ] = ; 또는 제어 문자를 쓸 수 없습니다.<byte value="xd"/>
다른 사용자ID를 입력해 주세요.</translation>
    </message>
    <message>
        <source>The user ID must not begin or end with a blank.<byte value="xd"/>
Please enter another user ID.</source>
        <translation>사용자ID는 공백으로 시작하거나 끝날 수 없습니다.<byte value="xd"/>
다른 사용자ID를 입력해 주세요.</translation>
    </message>
    <message>
        <source>The user ID is longer than 64 bytes.<byte value="xd"/>
Please enter a shorter user ID.</source>
        <translation>사용자ID가 64바이트보다 깁니다.<byte value="xd"/>
더 짧은 사용자ID를 입력해 주세요.</translation>
    </message>
    <message>
        <source>The user ID is not valid text.<byte value="xd"/>
Please enter another user ID.</source>
        <translation>사용자ID가 올바른 문자가 아닙니다.<byte value="xd"/>
다른 사용자ID를 입력해 주세요.</translation>
    </message>
    <message>
        <source>This user ID would name one of the program&apos;s own files.<byte value="xd"/>
Please enter another user ID.</source>
        <translation>이 사용자ID는 프로그램 자체 파일의 이름과 겹칩니다.<byte value="xd"/>
다른 사용자ID를 입력해 주세요.</translation>
    </message>
    <message>
        <source>On this disk the user ID names the same files as an existing user ID that differs only in upper and lower case.<byte value="xd"/>
Please enter another user ID.</source>
        <translation>이 디스크에서는 대소문자만 다른 기존 사용자ID와 같은 파일을 가리킵니다.<byte value="xd"/>
다른 사용자ID를 입력해 주세요.</translation>
    </message>
    <message>
        <source>The user ID is not in the user list.</source>
        <translation>사용자ID가 사용자 목록에 없습니다.</translation>
    </message>
    <message>
        <source>The user ID in the user file cannot be used as part of a file name.</source>
        <translation>사용자 파일의 사용자ID는 파일 이름에 쓸 수 없습니다.</translation>
    </message>
    <message>
        <source>The files of the current user were not found. Nothing was deleted.</source>
        <translation>현재 사용자의 파일을 찾을 수 없습니다. 아무것도 삭제하지 않았습니다.</translation>
    </message>
    <message>
        <source>The files of the current user could not be deleted. Nothing was changed.</source>
        <translation>현재 사용자의 파일을 삭제할 수 없습니다. 아무것도 바뀌지 않았습니다.</translation>
    </message>
    <message>
        <source>The user was removed from the user list, but these files could not be deleted:<byte value="xd"/>
%1</source>
        <translation>사용자를 목록에서 지웠지만 다음 파일은 삭제할 수 없습니다:<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>This file could not be written:<byte value="xd"/>
%1</source>
        <translation>다음 파일을 쓸 수 없습니다:<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>The database or settings files of the current user could not be opened or created in:<byte value="xd"/>
%1</source>
        <translation>현재 사용자의 데이터베이스 또는 설정 파일을 열거나 만들 수 없습니다:<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>This database file is damaged. It was left as it is; restore it from a backup:<byte value="xd"/>
%1</source>
        <translation>데이터베이스 파일이 손상되었습니다. 그대로 두었으니 백업에서 복원해 주세요:<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>The user was not added. This file could not be written:<byte value="xd"/>
%1</source>
        <translation>사용자를 추가하지 않았습니다. 다음 파일을 쓸 수 없습니다:<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>The current user &quot;%1&quot; is not in the user list.<byte value="xd"/>
The files of &quot;%2&quot; are used instead.</source>
        <translation>현재 사용자 &quot;%1&quot;이(가) 사용자 목록에 없습니다.<byte value="xd"/>
대신 &quot;%2&quot;의 파일을 사용합니다.</translation>
    </message>
    <message>
        <source>검색기간 설정이 잘못되었습니다. <byte value="xd"/>
다시 날짜 설정해 주세요.</source>
        <translation>검색기간 설정이 잘못되었습니다. <byte value="xd"/>
다시 날짜 설정해 주세요.</translation>
    </message>
    <message>
        <source>최대 365일 데이터를 검색할 수 있습니다. <byte value="xd"/>
다시 날짜 설정해 주세요.</source>
        <translation>최대 365일 데이터를 검색할 수 있습니다. <byte value="xd"/>
다시 날짜 설정해 주세요.</translation>
    </message>
    <message>
        <source>환자ID 입력 범위를 초과하였습니다.
다시 입력해 주세요.(Max 15)</source>
        <translation>환자ID 입력 범위를 초과하였습니다.
다시 입력해 주세요.(Max 15)</translation>
    </message>
    <message>
        <source>환자 이름 입력 범위를 초과하였습니다.
다시 입력해 주세요.(Max 15)</source>
        <translation>환자 이름 입력 범위를 초과하였습니다.
다시 입력해 주세요.(Max 15)</translation>
    </message>
    <message>
        <source>입력 범위를 초과하였습니다.
다시 입력해 주세요.(Max 100)</source>
        <translation>입력 범위를 초과하였습니다.
다시 입력해 주세요.(Max 100)</translation>
    </message>
</context>
<context>
    <name>PatientReport</name>
    <message>
        <source>Glucose</source>
        <translation>혈당</translation>
    </message>
    <message>
        <source>No.</source>
        <translation>번호</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>날짜</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>시간</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>검사</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>결과</translation>
    </message>
    <message>
        <source>Memo</source>
        <translation>메모</translation>
    </message>
    <message>
        <source>QuorinA1c Patient Report</source>
        <translation>QuorinA1c 환자 보고서</translation>
    </message>
    <message>
        <source>Patient: %1</source>
        <translation>환자: %1</translation>
    </message>
    <message>
        <source>Patient Report.</source>
        <translation>환자 보고서.</translation>
    </message>
    <message>
        <source>No results.</source>
        <translation>결과가 없습니다.</translation>
    </message>
    <message>
        <source>Results: %1, from %2 to %3</source>
        <translation>결과: %1건, %2 ~ %3</translation>
    </message>
    <message>
        <source>Last result: %1 on %2</source>
        <translation>최근 결과: %2 %1</translation>
    </message>
    <message>
        <source>Change since the previous result: %1</source>
        <translation>이전 결과 대비 변화: %1</translation>
    </message>
    <message>
        <source>Mean of the last 12 months: %1 (n = %2)</source>
        <translation>최근 12개월 평균: %1 (n = %2)</translation>
    </message>
</context>
<context>
    <name>ReportHeader</name>
    <message>
        <source>Result kind: %1</source>
        <translation>항목: %1</translation>
    </message>
    <message>
        <source>Glucose</source>
        <translation>혈당</translation>
    </message>
    <message>
        <source>Clinic: %1</source>
        <translation>병원: %1</translation>
    </message>
    <message>
        <source>Operator: %1</source>
        <translation>사용자: %1</translation>
    </message>
    <message>
        <source>Period: %1</source>
        <translation>기간: %1</translation>
    </message>
    <message>
        <source>All results</source>
        <translation>전체 결과</translation>
    </message>
</context>
<context>
    <name>qa::AboutDialog</name>
    <message>
        <source>About QuorinA1c Self Comm</source>
        <translation>QuorinA1c Self Comm 정보</translation>
    </message>
    <message>
        <source>Windows Communication Program</source>
        <translation>통신 프로그램</translation>
    </message>
    <message>
        <source>  Windows All for One       Version  1.00</source>
        <translation>  All for One       버전  1.00</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>확인</translation>
    </message>
</context>
<context>
    <name>qa::AddUserDialog</name>
    <message>
        <source>Add user </source>
        <translation>사용자 추가</translation>
    </message>
    <message>
        <source>추가</source>
        <translation>추가</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>취소</translation>
    </message>
    <message>
        <source>사용자ID</source>
        <translation>사용자ID</translation>
    </message>
</context>
<context>
    <name>qa::AllDataPage</name>
    <message>
        <source>ALL Data</source>
        <translation>전체 데이터</translation>
    </message>
    <message>
        <source>사용자ID</source>
        <translation>사용자ID</translation>
    </message>
    <message>
        <source>검색</source>
        <translation>검색</translation>
    </message>
    <message>
        <source>프린트</source>
        <translation>프린트</translation>
    </message>
    <message>
        <source>내보내기</source>
        <translation>내보내기</translation>
    </message>
    <message>
        <source>PID</source>
        <translation>PID</translation>
    </message>
    <message>
        <source>Patient ID</source>
        <translation>환자ID</translation>
    </message>
    <message>
        <source>HbA1c</source>
        <translation>HbA1c</translation>
    </message>
    <message>
        <source>Glucose</source>
        <translation>혈당</translation>
    </message>
    <message>
        <source>Date: %1   Time: %2<byte value="xd"/>
Result: %3</source>
        <translation>날짜: %1   시간: %2<byte value="xd"/>
결과: %3</translation>
    </message>
    <message>
        <source>Patient ID: %1</source>
        <translation>환자ID: %1</translation>
    </message>
    <message>
        <source>ALL</source>
        <translation>전체</translation>
    </message>
    <message>
        <source>1 week</source>
        <translation>1주</translation>
    </message>
    <message>
        <source>%1 weeks</source>
        <translation>%1주</translation>
    </message>
    <message>
        <source>Modifly Data</source>
        <translation>데이터 수정</translation>
    </message>
    <message>
        <source>Access the data</source>
        <translation>데이터 보기</translation>
    </message>
    <message>
        <source>선택한 데이터를 삭제하시겠습니까?</source>
        <translation>선택한 데이터를 삭제하시겠습니까?</translation>
    </message>
    <message>
        <source>The selected data could not be deleted.<byte value="xd"/>
The list is unchanged.</source>
        <translation>선택한 데이터를 삭제할 수 없습니다.<byte value="xd"/>
목록은 바뀌지 않았습니다.</translation>
    </message>
    <message>
        <source>The change could not be written.<byte value="xd"/>
The record may have been deleted meanwhile.</source>
        <translation>변경 내용을 쓸 수 없습니다.<byte value="xd"/>
그 사이에 데이터가 삭제되었을 수 있습니다.</translation>
    </message>
    <message>
        <source>The list could not be printed: no printer is available, or the document could not be written.</source>
        <translation>목록을 인쇄할 수 없습니다: 프린터가 없거나 문서를 쓸 수 없습니다.</translation>
    </message>
    <message>
        <source>Patient history</source>
        <translation>환자 이력</translation>
    </message>
    <message>
        <source>Result kind: %1</source>
        <translation>항목: %1</translation>
    </message>
    <message>
        <source>Search: %1</source>
        <translation>검색: %1</translation>
    </message>
    <message>
        <source>Search patient ID or name</source>
        <translation>환자ID 또는 이름 검색</translation>
    </message>
    <message>
        <source>1 result</source>
        <translation>결과 1건</translation>
    </message>
    <message>
        <source>%1 results</source>
        <translation>결과 %1건</translation>
    </message>
    <message>
        <source>sent</source>
        <translation>전송됨</translation>
    </message>
    <message>
        <source>held</source>
        <translation>보류</translation>
    </message>
    <message>
        <source>pending</source>
        <translation>대기</translation>
    </message>
</context>
<context>
    <name>qa::AuditDialog</name>
    <message>
        <source>Audit log</source>
        <translation>감사 기록</translation>
    </message>
    <message>
        <source>Period</source>
        <translation>기간</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>검색</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>닫기</translation>
    </message>
    <message>
        <source>Patient ID</source>
        <translation>환자ID</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>시간</translation>
    </message>
    <message>
        <source>Operator</source>
        <translation>사용자</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>계정</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>버전</translation>
    </message>
    <message>
        <source>Action</source>
        <translation>작업</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>내용</translation>
    </message>
    <message>
        <source>The audit log cannot be read: %1</source>
        <translation>감사 기록을 읽을 수 없습니다: %1</translation>
    </message>
    <message>
        <source>%1 entries</source>
        <translation>%1건</translation>
    </message>
</context>
<context>
    <name>qa::Cli</name>
    <message>
        <source>yes</source>
        <translation>예</translation>
    </message>
    <message>
        <source>Download cancelled: nothing of the transfer was stored, and the meter keeps its results.</source>
        <translation>다운로드 취소: 받은 내용은 저장하지 않았고 측정기에 결과가 남아 있습니다.</translation>
    </message>
    <message>
        <source>The data folder cannot be created: </source>
        <translation>데이터 폴더를 만들 수 없습니다: </translation>
    </message>
    <message>
        <source>QuorinA1c is already running on this data folder: </source>
        <translation>이 데이터 폴더에서 QuorinA1c가 이미 실행 중입니다: </translation>
    </message>
    <message>
        <source>The user file cannot be read: </source>
        <translation>사용자 파일을 읽을 수 없습니다: </translation>
    </message>
    <message>
        <source>quorina1c-cli: unknown user </source>
        <translation>quorina1c-cli: 없는 사용자 </translation>
    </message>
    <message>
        <source>The files of user %1 cannot be opened:</source>
        <translation>사용자 %1의 파일을 열 수 없습니다:</translation>
    </message>
    <message>
        <source>The results cannot be read:
</source>
        <translation>결과를 읽을 수 없습니다:
</translation>
    </message>
    <message>
        <source>The settings file cannot be read: </source>
        <translation>설정 파일을 읽을 수 없습니다: </translation>
    </message>
    <message>
        <source>The settings file cannot be written.
</source>
        <translation>설정 파일을 쓸 수 없습니다.
</translation>
    </message>
    <message>
        <source>The settings file cannot be written: </source>
        <translation>설정 파일을 쓸 수 없습니다: </translation>
    </message>
    <message>
        <source>The file cannot be written: </source>
        <translation>파일을 쓸 수 없습니다: </translation>
    </message>
    <message>
        <source>The delivery file cannot be written: </source>
        <translation>전송 파일을 쓸 수 없습니다: </translation>
    </message>
    <message>
        <source>The stored results cannot be read: </source>
        <translation>저장된 결과를 읽을 수 없습니다: </translation>
    </message>
    <message>
        <source>The audit log cannot be written: </source>
        <translation>감사 기록을 쓸 수 없습니다: </translation>
    </message>
    <message>
        <source>The audit log cannot be read: </source>
        <translation>감사 기록을 읽을 수 없습니다: </translation>
    </message>
    <message>
        <source>The backup could not be written: </source>
        <translation>백업을 쓸 수 없습니다: </translation>
    </message>
    <message>
        <source>The backup was not restored; nothing was changed: </source>
        <translation>백업을 복원하지 않았으며 아무것도 바뀌지 않았습니다: </translation>
    </message>
</context>
<context>
    <name>qa::CsvHeader</name>
    <message>
        <source>No</source>
        <translation>번호</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>날짜</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>시간</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>결과</translation>
    </message>
    <message>
        <source>eAG</source>
        <translation>eAG</translation>
    </message>
    <message>
        <source>Patient ID</source>
        <translation>환자ID</translation>
    </message>
</context>
<context>
    <name>qa::DeliveryPanel</name>
    <message>
        <source>Export HL7</source>
        <translation>HL7 내보내기</translation>
    </message>
    <message>
        <source>Export FHIR</source>
        <translation>FHIR 내보내기</translation>
    </message>
    <message>
        <source>Interface...</source>
        <translation>인터페이스...</translation>
    </message>
    <message>
        <source>Laboratory interface not set up</source>
        <translation>검사실 인터페이스가 설정되지 않았습니다</translation>
    </message>
    <message>
        <source>Pending: %1</source>
        <translation>전송 대기: %1</translation>
    </message>
    <message>
        <source> (held by the receiver: %1)</source>
        <translation> (수신측 보류: %1)</translation>
    </message>
    <message>
        <source> - sent %1</source>
        <translation> - 전송 %1</translation>
    </message>
    <message>
        <source>Row numbers: green sent, amber pending, red held by the receiver</source>
        <translation>행 번호: 초록 전송됨, 주황 대기, 빨강 수신측 보류</translation>
    </message>
    <message>
        <source>HL7 v2 (*.hl7)</source>
        <translation>HL7 v2 (*.hl7)</translation>
    </message>
    <message>
        <source>FHIR bundle (*.json)</source>
        <translation>FHIR 번들 (*.json)</translation>
    </message>
    <message>
        <source>The file could not be written:<byte value="xd"/>
%1</source>
        <translation>파일을 쓸 수 없습니다:<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>Laboratory interface</source>
        <translation>검사실 인터페이스</translation>
    </message>
    <message>
        <source>Send new results after each download</source>
        <translation>다운로드할 때마다 새 결과 보내기</translation>
    </message>
    <message>
        <source>Destination</source>
        <translation>보낼 곳</translation>
    </message>
    <message>
        <source>Sending application</source>
        <translation>보내는 애플리케이션</translation>
    </message>
    <message>
        <source>Sending facility</source>
        <translation>보내는 기관</translation>
    </message>
    <message>
        <source>Receiving application</source>
        <translation>받는 애플리케이션</translation>
    </message>
    <message>
        <source>Receiving facility</source>
        <translation>받는 기관</translation>
    </message>
    <message>
        <source>Acknowledgement time-out</source>
        <translation>응답 대기 시간</translation>
    </message>
    <message>
        <source>The destination is written mllp://host:port.</source>
        <translation>보낼 곳은 mllp://host:port 형식으로 씁니다.</translation>
    </message>
    <message>
        <source>The settings file could not be written.</source>
        <translation>설정 파일을 쓸 수 없습니다.</translation>
    </message>
    <message>
        <source>Send pending</source>
        <translation>대기 결과 보내기</translation>
    </message>
</context>
<context>
    <name>qa::DesktopFileService</name>
    <message>
        <source>CSV File (*.csv)</source>
        <translation>CSV 파일 (*.csv)</translation>
    </message>
    <message>
        <source>QuorinA1c backup (*.tar)</source>
        <translation>QuorinA1c 백업 (*.tar)</translation>
    </message>
</context>
<context>
    <name>qa::DownloadPage</name>
    <message>
        <source>내보내기</source>
        <translation>내보내기</translation>
    </message>
    <message>
        <source>delete all data of a meter</source>
        <translation>측정기의 데이터 모두 삭제</translation>
    </message>
    <message>
        <source>데이터 다운로드 완료</source>
        <translation>데이터 다운로드 완료</translation>
    </message>
</context>
<context>
    <name>qa::FormPage</name>
    <message>
        <source>홈</source>
        <translation>홈</translation>
    </message>
    <message>
        <source>측정기 저장 데이터 가져오기</source>
        <translation>측정기 저장 데이터 가져오기</translation>
    </message>
    <message>
        <source>데이터 보기</source>
        <translation>데이터 보기</translation>
    </message>
    <message>
        <source>설정</source>
        <translation>설정</translation>
    </message>
    <message>
        <source>현재 데이터 내보내기를 하시겠습니까?</source>
        <translation>현재 데이터 내보내기를 하시겠습니까?</translation>
    </message>
    <message>
        <source>The file could not be written:<byte value="xd"/>
%1</source>
        <translation>파일을 쓸 수 없습니다:<byte value="xd"/>
%1</translation>
    </message>
</context>
<context>
    <name>qa::GetDataDialog</name>
    <message>
        <source>HbA1c</source>
        <translation>HbA1c</translation>
    </message>
    <message>
        <source>Glucose</source>
        <translation>혈당</translation>
    </message>
    <message>
        <source>데이터얻기</source>
        <translation>데이터얻기</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>취소</translation>
    </message>
    <message>
        <source>포트 검색</source>
        <translation>포트 검색</translation>
    </message>
    <message>
        <source>Comm포트</source>
        <translation>Comm포트</translation>
    </message>
    <message>
        <source>항목</source>
        <translation>항목</translation>
    </message>
    <message>
        <source>사용자ID</source>
        <translation>사용자ID</translation>
    </message>
    <message>
        <source>Get data</source>
        <translation>데이터 얻기</translation>
    </message>
    <message>
        <source>No meter was recognised on any port. Connect the meter and press 포트 검색, or choose its port yourself.</source>
        <translation>No meter was recognised on any port. Connect the meter and press 포트 검색, or choose its port yourself.</translation>
    </message>
</context>
<context>
    <name>qa::ListHeading</name>
    <message>
        <source>No.</source>
        <translation>번호</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>날짜</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>시간</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>결과</translation>
    </message>
    <message>
        <source>eAG</source>
        <translation>eAG</translation>
    </message>
    <message>
        <source>Patient ID</source>
        <translation>환자ID</translation>
    </message>
    <message>
        <source>Patient name</source>
        <translation>환자 이름</translation>
    </message>
    <message>
        <source>Memo</source>
        <translation>메모</translation>
    </message>
    <message>
        <source>Delivery</source>
        <translation>전송</translation>
    </message>
</context>
<context>
    <name>qa::ListReport</name>
    <message>
        <source>No output file was given.</source>
        <translation>출력 파일이 지정되지 않았습니다.</translation>
    </message>
    <message>
        <source>The report could not be written to %1.</source>
        <translation>보고서를 %1에 쓸 수 없습니다.</translation>
    </message>
    <message>
        <source>The list has no columns to print beside the first one; no report was written.</source>
        <translation>첫 열 외에 인쇄할 열이 없어 보고서를 쓰지 않았습니다.</translation>
    </message>
    <message>
        <source>QuorinA1c Self Report</source>
        <translation>QuorinA1c 자가 보고서</translation>
    </message>
    <message>
        <source>Page %1</source>
        <translation>%1 페이지</translation>
    </message>
    <message>
        <source>Data Report.</source>
        <translation>데이터 보고서.</translation>
    </message>
    <message>
        <source>QuorinA1c HbA1c and Glucose Data Manager</source>
        <translation>QuorinA1c HbA1c 및 혈당 데이터 관리</translation>
    </message>
</context>
<context>
    <name>qa::MainWindow</name>
    <message>
        <source>CAP</source>
        <translation>CAP</translation>
    </message>
    <message>
        <source>NUM</source>
        <translation>NUM</translation>
    </message>
    <message>
        <source>SCRL</source>
        <translation>SCRL</translation>
    </message>
    <message>
        <source>%1 new results stored.</source>
        <translation>새 결과 %1건을 저장했습니다.</translation>
    </message>
    <message>
        <source>Error. the results could not be saved.</source>
        <translation>오류. 결과를 저장할 수 없습니다.</translation>
    </message>
    <message>
        <source>Nothing was stored; the meter keeps its results.</source>
        <translation>아무것도 저장하지 않았으며 측정기에 결과가 남아 있습니다.</translation>
    </message>
    <message>
        <source>The transfer was refused: nothing was stored, and the meter keeps its results.</source>
        <translation>전송을 거부했습니다: 아무것도 저장하지 않았으며 측정기에 결과가 남아 있습니다.</translation>
    </message>
    <message>
        <source>오르보에이원씨 관리 프로그램 v1.09</source>
        <translation>오르보에이원씨 관리 프로그램 v1.09</translation>
    </message>
    <message>
        <source>Search from this date (%1)</source>
        <translation>이 날짜부터 검색 (%1)</translation>
    </message>
    <message>
        <source>Delete: delete the selected result. %1: reload the list.</source>
        <translation>Delete: 선택한 결과 삭제. %1: 목록 새로 읽기.</translation>
    </message>
</context>
<context>
    <name>qa::PatientPage</name>
    <message>
        <source>Patient history</source>
        <translation>환자 이력</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>날짜</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>시간</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>검사</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>결과</translation>
    </message>
    <message>
        <source>Memo</source>
        <translation>메모</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>인쇄</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>닫기</translation>
    </message>
    <message>
        <source>The results of this patient could not be read:</source>
        <translation>이 환자의 결과를 읽을 수 없습니다:</translation>
    </message>
    <message>
        <source>Patient %1</source>
        <translation>환자 %1</translation>
    </message>
    <message>
        <source>Glucose</source>
        <translation>혈당</translation>
    </message>
    <message>
        <source>No results.</source>
        <translation>결과가 없습니다.</translation>
    </message>
    <message>
        <source>Results: %1, from %2 to %3</source>
        <translation>결과: %1건, %2 ~ %3</translation>
    </message>
    <message>
        <source>Last result: %1 on %2</source>
        <translation>최근 결과: %2 %1</translation>
    </message>
    <message>
        <source>Change since the previous result: %1</source>
        <translation>이전 결과 대비 변화: %1</translation>
    </message>
    <message>
        <source>Mean of the last 12 months: %1 (n = %2)</source>
        <translation>최근 12개월 평균: %1 (n = %2)</translation>
    </message>
    <message>
        <source>Glucose (%1)</source>
        <translation>혈당 (%1)</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>결과</translation>
    </message>
    <message>
        <source>Target range</source>
        <translation>목표 범위</translation>
    </message>
    <message>
        <source>Target</source>
        <translation>목표</translation>
    </message>
    <message>
        <source>The patient report could not be printed: no printer is available, or the document could not be written.</source>
        <translation>환자 보고서를 인쇄할 수 없습니다: 프린터가 없거나 문서를 쓸 수 없습니다.</translation>
    </message>
</context>
<context>
    <name>qa::ProcessDialog</name>
    <message>
        <source>Process</source>
        <translation>진행</translation>
    </message>
    <message>
        <source>Close.</source>
        <translation>닫기.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>취소</translation>
    </message>
    <message>
        <source>%1 / %2 records</source>
        <translation>%1 / %2 건</translation>
    </message>
    <message>
        <source>다운로드 취소</source>
        <translation>다운로드 취소</translation>
    </message>
    <message>
        <source>Cancelled: nothing of this transfer was stored, and the meter keeps its results.</source>
        <translation>취소됨: 이 전송의 내용은 저장하지 않았고 측정기에 결과가 남아 있습니다.</translation>
    </message>
</context>
<context>
    <name>qa::SerialChannel</name>
    <message>
        <source>not a serial port</source>
        <translation>직렬 포트가 아닙니다</translation>
    </message>
    <message>
        <source>Serial ports belong to the group &quot;%1&quot;: add this user to it (sudo adduser $USER %1), then log out and in again, or install a udev rule that grants access.</source>
        <translation>직렬 포트는 &quot;%1&quot; 그룹에 속합니다: 이 사용자를 그룹에 추가하고(sudo adduser $USER %1) 다시 로그인하거나, 접근을 허용하는 udev 규칙을 설치해 주세요.</translation>
    </message>
    <message>
        <source>The udev rule %1 gives the user logged in at this computer access to the meter&apos;s port and to Prolific adapters: unplug the meter and plug it in again. If that does not help (another adapter, or a user not logged in at this computer), add this user to the group &quot;%2&quot; that the port belongs to (sudo adduser $USER %2), then log out and in again.</source>
        <translation>udev 규칙 %1이(가) 이 컴퓨터에 로그인한 사용자에게 측정기 포트와 Prolific 어댑터 접근을 허용합니다: 측정기를 뽑았다가 다시 꽂아 주세요. 그래도 안 되면(다른 어댑터이거나 이 컴퓨터에 로그인하지 않은 사용자) 포트가 속한 &quot;%2&quot; 그룹에 이 사용자를 추가하고(sudo adduser $USER %2) 다시 로그인해 주세요.</translation>
    </message>
</context>
<context>
    <name>qa::SettingsDialog</name>
    <message>
        <source>Setting information</source>
        <translation>설정 정보</translation>
    </message>
    <message>
        <source>현재 사용자ID</source>
        <translation>현재 사용자ID</translation>
    </message>
    <message>
        <source>HbA1c</source>
        <translation>HbA1c</translation>
    </message>
    <message>
        <source>Glucose</source>
        <translation>혈당</translation>
    </message>
    <message>
        <source>날짜형식</source>
        <translation>날짜형식</translation>
    </message>
    <message>
        <source>시간형식</source>
        <translation>시간형식</translation>
    </message>
    <message>
        <source>12 Hours</source>
        <translation>12시간</translation>
    </message>
    <message>
        <source>24 Hours</source>
        <translation>24시간</translation>
    </message>
    <message>
        <source>사용자 정보</source>
        <translation>사용자 정보</translation>
    </message>
    <message>
        <source>이름</source>
        <translation>이름</translation>
    </message>
    <message>
        <source>병원</source>
        <translation>병원</translation>
    </message>
    <message>
        <source>E-mail</source>
        <translation>E-mail</translation>
    </message>
    <message>
        <source>메모</source>
        <translation>메모</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>언어</translation>
    </message>
    <message>
        <source>저장</source>
        <translation>저장</translation>
    </message>
    <message>
        <source>닫기</source>
        <translation>닫기</translation>
    </message>
    <message>
        <source>사용자 추가</source>
        <translation>사용자 추가</translation>
    </message>
    <message>
        <source>사용자 삭제</source>
        <translation>사용자 삭제</translation>
    </message>
    <message>
        <source>Backup...</source>
        <translation>백업...</translation>
    </message>
    <message>
        <source>Audit log...</source>
        <translation>감사 기록...</translation>
    </message>
    <message>
        <source>%1: too long. At most %2 bytes are kept (a Hangul syllable takes 3).</source>
        <translation>%1: 너무 깁니다. 최대 %2바이트까지 저장합니다 (한글 한 글자는 3바이트).</translation>
    </message>
    <message>
        <source>The settings could not be saved.</source>
        <translation>설정을 저장할 수 없습니다.</translation>
    </message>
    <message>
        <source>The backup could not be written:<byte value="xd"/>
%1</source>
        <translation>백업을 쓸 수 없습니다:<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>The backup was written:<byte value="xd"/>
%1</source>
        <translation>백업을 썼습니다:<byte value="xd"/>
%1</translation>
    </message>
</context>
<context>
    <name>qa::Startup</name>
    <message>
        <source>오르보에이원씨 초기화 실패</source>
        <translation>오르보에이원씨 초기화 실패</translation>
    </message>
    <message>
        <source>오르보에이원씨 관리 프로그램이 이미 실행중입니다.<byte value="xd"/>
 프로그램이 자동으로 종료 됩니다.</source>
        <translation>오르보에이원씨 관리 프로그램이 이미 실행중입니다.<byte value="xd"/>
 프로그램이 자동으로 종료 됩니다.</translation>
    </message>
</context>
<context>
    <name>qa::WaitingPage</name>
    <message>
        <source>Waiting....................</source>
        <translation>대기 중....................</translation>
    </message>
</context>
<context>
    <name>qa::views::RecordDialog</name>
    <message>
        <source>Data Modify</source>
        <translation>데이터 수정</translation>
    </message>
    <message>
        <source>Data View</source>
        <translation>데이터 보기</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>취소</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>닫기</translation>
    </message>
    <message>
        <source>Date / Time:</source>
        <translation>날짜 / 시간:</translation>
    </message>
    <message>
        <source>OPID :</source>
        <translation>사용자ID :</translation>
    </message>
    <message>
        <source>Result :</source>
        <translation>결과 :</translation>
    </message>
    <message>
        <source>Patient Name :</source>
        <translation>환자 이름 :</translation>
    </message>
    <message>
        <source>PID :</source>
        <translation>환자ID :</translation>
    </message>
    <message>
        <source>Type :</source>
        <translation>유형 :</translation>
    </message>
    <message>
        <source>Birthday :</source>
        <translation>생년월일 :</translation>
    </message>
    <message>
        <source>Remark :</source>
        <translation>메모 :</translation>
    </message>
    <message>
        <source>None</source>
        <translation>없음</translation>
    </message>
    <message>
        <source>Type  I</source>
        <translation>제1형</translation>
    </message>
    <message>
        <source>Type II</source>
        <translation>제2형</translation>
    </message>
    <message>
        <source>Gestational</source>
        <translation>임신성</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>정상</translation>
    </message>
</context>
<context>
    <name>qa::views::RecordModifyDialog</name>
    <message>
        <source>&amp;Change</source>
        <translation>변경</translation>
    </message>
    <message>
        <source>데이터 변경하시겠습니까?</source>
        <translation>데이터 변경하시겠습니까?</translation>
    </message>
</context>
</TS>
