<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR">
<context>
    <name>AuditAction</name>
    <message>
        <source>Modify</source>
        <translation>수정</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>삭제</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>데이터 가져오기</translation>
    </message>
    <message>
        <source>Add user</source>
        <translation>사용자 추가</translation>
    </message>
    <message>
        <source>Delete user</source>
        <translation>사용자 삭제</translation>
    </message>
    <message>
        <source>Restore user</source>
        <translation>사용자 되돌리기</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>설정</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>내보내기</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>인쇄</translation>
    </message>
    <message>
        <source>Backup</source>
        <translation>백업</translation>
    </message>
    <message>
        <source>Restore backup</source>
        <translation>백업 복원</translation>
    </message>
    <message>
        <source>Put back</source>
        <translation>삭제 취소</translation>
    </message>
    <message>
        <source>File upgrade</source>
        <translation>파일 갱신</translation>
    </message>
    <message>
        <source>Release to laboratory</source>
        <translation>검사실로 전송</translation>
    </message>
</context>
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
        <source>%1 포트로 오르보에이원씨의 HbA1c 결과를 받겠습니까?</source>
        <translation>%1 포트로 오르보에이원씨의 HbA1c 결과를 받겠습니까?</translation>
    </message>
    <message>
        <source>%1 포트로 오르보에이원씨의 혈당 결과를 받겠습니까?</source>
        <translation>%1 포트로 오르보에이원씨의 혈당 결과를 받겠습니까?</translation>
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
        <source>새로운 사용자를 추가하시겠습니까?<byte value="xd"/>
추가한 사용자가 현재 사용자가 됩니다.</source>
        <translation>새로운 사용자를 추가하시겠습니까?<byte value="xd"/>
추가한 사용자가 현재 사용자가 됩니다.</translation>
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
다시 입력해 주세요.(최대 15)</translation>
    </message>
    <message>
        <source>환자 이름 입력 범위를 초과하였습니다.
다시 입력해 주세요.(Max 15)</source>
        <translation>환자 이름 입력 범위를 초과하였습니다.
다시 입력해 주세요.(최대 15)</translation>
    </message>
    <message>
        <source>입력 범위를 초과하였습니다.
다시 입력해 주세요.(Max 100)</source>
        <translation>입력 범위를 초과하였습니다.
다시 입력해 주세요.(최대 100)</translation>
    </message>
    <message>
        <source>오르보에이원씨로부터 데이터가 전송이 되지 않고 있습니다.<byte value="xd"/>
오르보에이원씨와의 연결 포트를 다시 확인해 주세요.<byte value="xd"/>
<byte value="xd"/>
%1</source>
        <translation>오르보에이원씨로부터 데이터가 전송이 되지 않고 있습니다.<byte value="xd"/>
오르보에이원씨와의 연결 포트를 다시 확인해 주세요.<byte value="xd"/>
<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>unknown setting %1</source>
        <translation>알 수 없는 설정 %1</translation>
    </message>
    <message>
        <source>%1 takes 0 (%) or 1 (mmol/mol), not &quot;%2&quot;</source>
        <translation>%1에는 0 (%) 또는 1 (mmol/mol)을 적어 주세요(&quot;%2&quot; 아님)</translation>
    </message>
    <message>
        <source>%1 takes 0 (mg/dL) or 1 (mmol/L), not &quot;%2&quot;</source>
        <translation>%1에는 0 (mg/dL) 또는 1 (mmol/L)을 적어 주세요(&quot;%2&quot; 아님)</translation>
    </message>
    <message>
        <source>%1 takes 0 (yyyy/MM/dd), 1 (MM/dd/yyyy) or 2 (dd/MM/yyyy), not &quot;%2&quot;</source>
        <translation>%1에는 0 (yyyy/MM/dd), 1 (MM/dd/yyyy) 또는 2 (dd/MM/yyyy)를 적어 주세요(&quot;%2&quot; 아님)</translation>
    </message>
    <message>
        <source>%1 takes 0 (12 hours) or 1 (24 hours), not &quot;%2&quot;</source>
        <translation>%1에는 0 (12시간제) 또는 1 (24시간제)을 적어 주세요(&quot;%2&quot; 아님)</translation>
    </message>
    <message>
        <source>%1 takes 0 (Korean) or 1 (English), not &quot;%2&quot;</source>
        <translation>%1에는 0 (한국어) 또는 1 (영어)을 적어 주세요(&quot;%2&quot; 아님)</translation>
    </message>
    <message>
        <source>%1 takes 0 (off) or 1 (on), not &quot;%2&quot;</source>
        <translation>%1에는 0 (끔) 또는 1 (켬)을 적어 주세요(&quot;%2&quot; 아님)</translation>
    </message>
    <message>
        <source>%1 takes a number such as 6.7, not &quot;%2&quot;</source>
        <translation>%1에는 6.7 같은 수를 적어 주세요(&quot;%2&quot; 아님)</translation>
    </message>
    <message>
        <source>%1 takes a number from %2 to %3, not &quot;%4&quot;</source>
        <translation>%1에는 %2부터 %3까지의 수를 적어 주세요(&quot;%4&quot; 아님)</translation>
    </message>
    <message>
        <source>%1 is too long: at most %2 bytes (a Hangul syllable takes 2), this one takes %3</source>
        <translation>%1이(가) 너무 깁니다: 최대 %2바이트(한글 한 글자는 2바이트)인데 %3바이트입니다</translation>
    </message>
    <message>
        <source>%1 takes a number of seconds from 1 to %2, not &quot;%3&quot;</source>
        <translation>%1에는 1부터 %2까지의 초를 적어 주세요(&quot;%3&quot; 아님)</translation>
    </message>
    <message>
        <source>%1 takes a URI such as urn:oid:1.2.3 or https://host/ids, not &quot;%2&quot;</source>
        <translation>%1에는 urn:oid:1.2.3 또는 https://host/ids 같은 URI를 적어 주세요(&quot;%2&quot; 아님)</translation>
    </message>
    <message>
        <source>%1 takes an OID or a name without | ^ ~ \ &amp;, not &quot;%2&quot;</source>
        <translation>%1에는 OID 또는 | ^ ~ \ &amp; 가 없는 이름을 적어 주세요(&quot;%2&quot; 아님)</translation>
    </message>
    <message>
        <source>No result has the ID %1.</source>
        <translation>ID가 %1인 결과가 없습니다.</translation>
    </message>
    <message>
        <source>The result %1 is stored already.</source>
        <translation>결과 %1은(는) 이미 저장되어 있습니다.</translation>
    </message>
    <message>
        <source>%1 skipped: deleted</source>
        <translation>%1건 건너뜀: 삭제된 결과</translation>
    </message>
    <message>
        <source>%1 skipped: corrected</source>
        <translation>%1건 건너뜀: 수정된 결과</translation>
    </message>
    <message>
        <source>사용자 &quot;%1&quot;을(를) 삭제하시겠습니까?<byte value="xd"/>
HbA1c 결과 %2개와 혈당 결과 %3개, 설정이 목록에서 사라집니다.<byte value="xd"/>
파일은 데이터 폴더 안에 보관되며 되돌릴 수 있습니다.</source>
        <translation>사용자 &quot;%1&quot;을(를) 삭제하시겠습니까?<byte value="xd"/>
HbA1c 결과 %2개와 혈당 결과 %3개, 설정이 목록에서 사라집니다.<byte value="xd"/>
파일은 데이터 폴더 안에 보관되며 되돌릴 수 있습니다.</translation>
    </message>
    <message>
        <source>사용자 &quot;%1&quot;이(가) 삭제되었습니다.<byte value="xd"/>
파일은 다음 폴더에 보관됩니다: %2</source>
        <translation>사용자 &quot;%1&quot;이(가) 삭제되었습니다.<byte value="xd"/>
파일은 다음 폴더에 보관됩니다: %2</translation>
    </message>
    <message>
        <source>삭제된 사용자 &quot;%1&quot;의 보관된 파일이 없습니다.</source>
        <translation>삭제된 사용자 &quot;%1&quot;의 보관된 파일이 없습니다.</translation>
    </message>
    <message>
        <source>같은 이름의 파일이 있어 사용자를 되돌릴 수 없습니다: %1</source>
        <translation>같은 이름의 파일이 있어 사용자를 되돌릴 수 없습니다: %1</translation>
    </message>
    <message>
        <source>사용자 &quot;%1&quot;을(를) 되돌렸습니다.</source>
        <translation>사용자 &quot;%1&quot;을(를) 되돌렸습니다.</translation>
    </message>
    <message>
        <source>감사 기록에 쓸 수 없어 변경하지 않았습니다: %1</source>
        <translation>감사 기록에 쓸 수 없어 변경하지 않았습니다: %1</translation>
    </message>
    <message>
        <source>%1 must be lower than %2</source>
        <translation>%1은(는) %2보다 낮아야 합니다</translation>
    </message>
    <message>
        <source>%1: in order (%2)</source>
        <translation>%1: 이상 없음 (%2)</translation>
    </message>
    <message>
        <source>%1: damaged: %2</source>
        <translation>%1: 손상됨: %2</translation>
    </message>
    <message>
        <source>%1: holds text that is neither UTF-8 nor code page 949</source>
        <translation>%1: UTF-8도 코드 페이지 949도 아닌 글자가 있습니다</translation>
    </message>
    <message>
        <source>%1: lacks the columns %2 (added by the next writable open)</source>
        <translation>%1: %2 열이 없습니다 (다음 쓰기 열기에서 추가됩니다)</translation>
    </message>
    <message>
        <source>%1: lacks the indexes %2 (added by the next writable open)</source>
        <translation>%1: %2 색인이 없습니다 (다음 쓰기 열기에서 추가됩니다)</translation>
    </message>
    <message>
        <source>%1: holds no result table</source>
        <translation>%1: 결과 테이블이 없습니다</translation>
    </message>
    <message>
        <source>%1: belongs to no listed operator</source>
        <translation>%1: 목록에 있는 사용자의 파일이 아닙니다</translation>
    </message>
    <message>
        <source>%1: left over from an operation that stopped half-way</source>
        <translation>%1: 중간에 멈춘 작업이 남긴 파일입니다</translation>
    </message>
    <message>
        <source>%1: the journal of an interrupted write, played back by the next writable open</source>
        <translation>%1: 중단된 쓰기의 저널입니다 (다음 쓰기 열기에서 되돌립니다)</translation>
    </message>
    <message>
        <source>%1: open to others than its owner (mode %2)</source>
        <translation>%1: 소유자가 아닌 사용자도 접근할 수 있습니다 (권한 %2)</translation>
    </message>
    <message>
        <source>%1: cannot be read: %2</source>
        <translation>%1: 읽을 수 없습니다: %2</translation>
    </message>
    <message>
        <source>%1 이 연결되었습니다.</source>
        <translation>%1 이 연결되었습니다.</translation>
    </message>
    <message>
        <source>오르보에이원씨의 응답을 기다리는 중.</source>
        <translation>오르보에이원씨의 응답을 기다리는 중.</translation>
    </message>
    <message>
        <source>%1 포트에서 응답하는 오르보에이원씨가 없습니다.<byte value="xd"/>
오르보에이원씨가 켜져 있고 이 포트에 연결되어 있는지 확인한 뒤 다시 시도를 누르십시오.</source>
        <translation>%1 포트에서 응답하는 오르보에이원씨가 없습니다.<byte value="xd"/>
오르보에이원씨가 켜져 있고 이 포트에 연결되어 있는지 확인한 뒤 다시 시도를 누르십시오.</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1: the file is read-only</source>
        <translation>%1: 읽기 전용 파일입니다</translation>
    </message>
    <message>
        <source>%1: cannot be written</source>
        <translation>%1: 쓸 수 없습니다</translation>
    </message>
    <message>
        <source>%1 HbA1c results to %2</source>
        <translation>HbA1c 결과 %1건 → %2</translation>
    </message>
    <message>
        <source>%1 glucose results to %2</source>
        <translation>혈당 결과 %1건 → %2</translation>
    </message>
    <message>
        <source>%1 HbA1c results to the printer %2</source>
        <translation>HbA1c 결과 %1건 → 프린터 %2</translation>
    </message>
    <message>
        <source>%1 glucose results to the printer %2</source>
        <translation>혈당 결과 %1건 → 프린터 %2</translation>
    </message>
    <message>
        <source>patient report of %1 HbA1c and %2 glucose results to %3</source>
        <translation>환자 보고서(HbA1c 결과 %1건, 혈당 결과 %2건) → %3</translation>
    </message>
    <message>
        <source>patient report of %1 HbA1c and %2 glucose results to the printer %3</source>
        <translation>환자 보고서(HbA1c 결과 %1건, 혈당 결과 %2건) → 프린터 %3</translation>
    </message>
    <message>
        <source>%1 files to %2</source>
        <translation>파일 %1개 → %2</translation>
    </message>
    <message>
        <source>from %1; the replaced folder is %2</source>
        <translation>%1에서 복원, 바뀌기 전 폴더는 %2</translation>
    </message>
    <message>
        <source>user %1</source>
        <translation>사용자 %1</translation>
    </message>
    <message>
        <source>user %1: %2 HbA1c and %3 glucose results; files kept in %4</source>
        <translation>사용자 %1: HbA1c 결과 %2건, 혈당 결과 %3건, 파일은 %4에 보관</translation>
    </message>
    <message>
        <source>user %1: files brought back from %2</source>
        <translation>사용자 %1: %2에서 파일을 되돌림</translation>
    </message>
    <message>
        <source>%1: not a file name</source>
        <translation>%1: 파일 이름이 아닙니다</translation>
    </message>
    <message>
        <source>%1: exists and is not a regular file; nothing was written</source>
        <translation>%1: 일반 파일이 아닌 것이 이미 있어 아무것도 쓰지 않았습니다</translation>
    </message>
    <message>
        <source>%1: is inside the data folder %2; choose another place</source>
        <translation>%1: 데이터 폴더 %2 안에 있습니다. 다른 곳을 고르십시오</translation>
    </message>
    <message>
        <source>%1: holds no UUID</source>
        <translation>%1: UUID가 들어 있지 않습니다</translation>
    </message>
    <message>
        <source>%1: the copy could not be read back</source>
        <translation>%1: 복사본을 다시 읽을 수 없습니다</translation>
    </message>
    <message>
        <source>%1: the manifest does not start with &quot;%2&quot;</source>
        <translation>%1: 목록이 &quot;%2&quot;(으)로 시작하지 않습니다</translation>
    </message>
    <message>
        <source>%1: the manifest has a line it does not explain: %2</source>
        <translation>%1: 목록에 알 수 없는 줄이 있습니다: %2</translation>
    </message>
    <message>
        <source>%1: the manifest names a file that cannot be restored: %2</source>
        <translation>%1: 목록에 복원할 수 없는 파일이 있습니다: %2</translation>
    </message>
    <message>
        <source>%1: not a backup archive (no tar header)</source>
        <translation>%1: 백업 파일이 아닙니다(tar 머리글 없음)</translation>
    </message>
    <message>
        <source>%1: a member header is damaged</source>
        <translation>%1: 구성 파일의 머리글이 손상되었습니다</translation>
    </message>
    <message>
        <source>%1: a member is not a plain file</source>
        <translation>%1: 일반 파일이 아닌 구성 파일이 있습니다</translation>
    </message>
    <message>
        <source>%1: a member has a path, not a plain file name</source>
        <translation>%1: 파일 이름 대신 경로를 가진 구성 파일이 있습니다</translation>
    </message>
    <message>
        <source>%1: a member follows the manifest</source>
        <translation>%1: 목록 뒤에 구성 파일이 있습니다</translation>
    </message>
    <message>
        <source>%1: a member name cannot be restored: %2</source>
        <translation>%1: 복원할 수 없는 구성 파일 이름입니다: %2</translation>
    </message>
    <message>
        <source>%1: the manifest is too large</source>
        <translation>%1: 목록이 너무 큽니다</translation>
    </message>
    <message>
        <source>%1: %2: %3</source>
        <translation>%1: %2: %3</translation>
    </message>
    <message>
        <source>%1: a member is cut short or cannot be unpacked: %2</source>
        <translation>%1: 구성 파일이 잘렸거나 풀 수 없습니다: %2</translation>
    </message>
    <message>
        <source>%1: the archive is cut short</source>
        <translation>%1: 백업 파일이 잘렸습니다</translation>
    </message>
    <message>
        <source>%1: the archive has no manifest</source>
        <translation>%1: 백업 파일에 목록이 없습니다</translation>
    </message>
    <message>
        <source>%1: the archive lacks %2</source>
        <translation>%1: 백업 파일에 %2이(가) 없습니다</translation>
    </message>
    <message>
        <source>%1: the checksum of %2 does not match</source>
        <translation>%1: %2의 검사값이 맞지 않습니다</translation>
    </message>
    <message>
        <source>%1: the database %2 is damaged</source>
        <translation>%1: 데이터베이스 %2이(가) 손상되었습니다</translation>
    </message>
    <message>
        <source>%1: the database %2 is damaged (%3)</source>
        <translation>%1: 데이터베이스 %2이(가) 손상되었습니다(%3)</translation>
    </message>
    <message>
        <source>%1: the manifest does not list %2</source>
        <translation>%1: 목록에 %2이(가) 없습니다</translation>
    </message>
    <message>
        <source>%1: a backup cannot be written inside the data folder</source>
        <translation>%1: 데이터 폴더 안에는 백업을 쓸 수 없습니다</translation>
    </message>
    <message>
        <source>%1: exists and is not a regular file</source>
        <translation>%1: 일반 파일이 아닌 것이 이미 있습니다</translation>
    </message>
    <message>
        <source>%1: this file name cannot be stored in a backup</source>
        <translation>%1: 이 파일 이름은 백업에 넣을 수 없습니다</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>중지됨</translation>
    </message>
    <message>
        <source>%1: cannot be moved aside: %2</source>
        <translation>%1: 옆으로 옮길 수 없습니다: %2</translation>
    </message>
    <message>
        <source>The table is not open.</source>
        <translation>테이블이 열려 있지 않습니다.</translation>
    </message>
    <message>
        <source>%1: a new result is still being stored</source>
        <translation>%1: 새 결과를 아직 저장하는 중입니다</translation>
    </message>
    <message>
        <source>%1: the table has no such field or row</source>
        <translation>%1: 테이블에 그런 항목이나 행이 없습니다</translation>
    </message>
    <message>
        <source>Not a usable table name: %1</source>
        <translation>사용할 수 없는 테이블 이름입니다: %1</translation>
    </message>
    <message>
        <source>%1: opened read-only, so it is not changed</source>
        <translation>%1: 읽기 전용으로 열려 있어 변경하지 않습니다</translation>
    </message>
    <message>
        <source>The result of %1 %2 with the value %3 is no longer stored; it may have been changed or deleted meanwhile.</source>
        <translation>%1 %2의 결과값 %3이(가) 더 이상 저장되어 있지 않습니다. 그 사이에 변경되었거나 삭제되었을 수 있습니다.</translation>
    </message>
    <message>
        <source>result %1 %2 %3: %4</source>
        <translation>결과 %1 %2 %3: %4</translation>
    </message>
    <message>
        <source>HbA1c result: %1</source>
        <translation>HbA1c 결과: %1</translation>
    </message>
    <message>
        <source>glucose result: %1</source>
        <translation>혈당 결과: %1</translation>
    </message>
    <message>
        <source>HbA1c: %1</source>
        <translation>HbA1c 결과 받기: %1</translation>
    </message>
    <message>
        <source>glucose: %1</source>
        <translation>혈당 결과 받기: %1</translation>
    </message>
    <message>
        <source>HbA1c result %1 put back: date &quot;%2&quot;, time &quot;%3&quot;, value &quot;%4&quot;, patient ID &quot;%5&quot;%6</source>
        <translation>HbA1c 결과 %1 삭제 취소: 날짜 &quot;%2&quot;, 시간 &quot;%3&quot;, 결과 &quot;%4&quot;, 환자 ID &quot;%5&quot;%6</translation>
    </message>
    <message>
        <source>glucose result %1 put back: date &quot;%2&quot;, time &quot;%3&quot;, value &quot;%4&quot;, patient ID &quot;%5&quot;%6</source>
        <translation>혈당 결과 %1 삭제 취소: 날짜 &quot;%2&quot;, 시간 &quot;%3&quot;, 결과 &quot;%4&quot;, 환자 ID &quot;%5&quot;%6</translation>
    </message>
    <message>
        <source>result %1 %2 %3: held for want of a patient, released to the laboratory under %4; result ID %5</source>
        <translation>결과 %1 %2 %3: 환자가 없어 보류했다가 환자 ID %4(으)로 검사실에 전송; 결과 ID %5</translation>
    </message>
    <message>
        <source>date &quot;%1&quot;</source>
        <translation>날짜 &quot;%1&quot;</translation>
    </message>
    <message>
        <source>time &quot;%1&quot;</source>
        <translation>시간 &quot;%1&quot;</translation>
    </message>
    <message>
        <source>value &quot;%1&quot;</source>
        <translation>결과 &quot;%1&quot;</translation>
    </message>
    <message>
        <source>patient ID &quot;%1&quot;</source>
        <translation>환자 ID &quot;%1&quot;</translation>
    </message>
    <message>
        <source>operator ID &quot;%1&quot;</source>
        <translation>사용자 ID &quot;%1&quot;</translation>
    </message>
    <message>
        <source>name &quot;%1&quot;</source>
        <translation>이름 &quot;%1&quot;</translation>
    </message>
    <message>
        <source>birthday &quot;%1&quot;</source>
        <translation>생년월일 &quot;%1&quot;</translation>
    </message>
    <message>
        <source>diagnosis %1</source>
        <translation>당뇨 유형 %1</translation>
    </message>
    <message>
        <source>memo &quot;%1&quot;</source>
        <translation>메모 &quot;%1&quot;</translation>
    </message>
    <message>
        <source>result ID %1</source>
        <translation>결과 ID %1</translation>
    </message>
    <message>
        <source>name: &quot;%1&quot; -&gt; &quot;%2&quot;</source>
        <translation>이름: &quot;%1&quot; -&gt; &quot;%2&quot;</translation>
    </message>
    <message>
        <source>patient ID: &quot;%1&quot; -&gt; &quot;%2&quot;</source>
        <translation>환자 ID: &quot;%1&quot; -&gt; &quot;%2&quot;</translation>
    </message>
    <message>
        <source>birthday: &quot;%1&quot; -&gt; &quot;%2&quot;</source>
        <translation>생년월일: &quot;%1&quot; -&gt; &quot;%2&quot;</translation>
    </message>
    <message>
        <source>diagnosis: &quot;%1&quot; -&gt; &quot;%2&quot;</source>
        <translation>당뇨 유형: &quot;%1&quot; -&gt; &quot;%2&quot;</translation>
    </message>
    <message>
        <source>memo: &quot;%1&quot; -&gt; &quot;%2&quot;</source>
        <translation>메모: &quot;%1&quot; -&gt; &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1 received, %2 new</source>
        <translation>%1건 수신, %2건 새 결과</translation>
    </message>
    <message>
        <source>%1 skipped as deleted</source>
        <translation>%1건 건너뜀: 삭제된 결과</translation>
    </message>
    <message>
        <source>%1 skipped as corrected</source>
        <translation>%1건 건너뜀: 수정된 결과</translation>
    </message>
    <message>
        <source>meter with %1-byte records</source>
        <translation>측정기 레코드 %1바이트</translation>
    </message>
    <message>
        <source>port %1</source>
        <translation>포트 %1</translation>
    </message>
    <message>
        <source>port unknown</source>
        <translation>포트 알 수 없음</translation>
    </message>
    <message>
        <source>meter erased</source>
        <translation>측정기 데이터 삭제</translation>
    </message>
    <message>
        <source>The delivery file %1 cannot be used: %2</source>
        <translation>전송 기록 파일을 사용할 수 없습니다: %1 (%2)</translation>
    </message>
    <message>
        <source>The delivery file %1 cannot be written: %2</source>
        <translation>전송 기록 파일에 쓸 수 없습니다: %1 (%2)</translation>
    </message>
    <message>
        <source>The delivery file %1 has no unsent entry %2.</source>
        <translation>전송 기록 파일에 보내지 않은 항목 %2 이(가) 없습니다: %1</translation>
    </message>
    <message>
        <source>The receiver&apos;s host %1 cannot be found: %2</source>
        <translation>수신 시스템의 호스트를 찾을 수 없습니다: %1 (%2)</translation>
    </message>
    <message>
        <source>The receiver %1 cannot be reached: %2</source>
        <translation>수신 시스템에 연결할 수 없습니다: %1 (%2)</translation>
    </message>
    <message>
        <source>The receiver %1 did not take the connection within the time-out.</source>
        <translation>수신 시스템이 제한 시간 안에 연결을 받지 않았습니다: %1</translation>
    </message>
    <message>
        <source>The connection to %1 was lost while sending.</source>
        <translation>보내는 중에 연결이 끊어졌습니다: %1</translation>
    </message>
    <message>
        <source>No TLS library is at hand for %1.</source>
        <translation>TLS 라이브러리가 없어 연결할 수 없습니다: %1</translation>
    </message>
    <message>
        <source>A TLS connection to %1 cannot be made: %2</source>
        <translation>TLS 연결을 만들 수 없습니다: %1 (%2)</translation>
    </message>
    <message>
        <source>The answer of %1 is not an acknowledgement.</source>
        <translation>수신 시스템의 응답이 수신 확인이 아닙니다: %1</translation>
    </message>
    <message>
        <source>The acknowledgement of %1 has an unknown code: %2</source>
        <translation>수신 확인의 코드를 알 수 없습니다: %1 (%2)</translation>
    </message>
    <message>
        <source>No acknowledgement came from %1 within the time-out.</source>
        <translation>제한 시간 안에 수신 확인이 오지 않았습니다: %1</translation>
    </message>
    <message>
        <source>%1 closed the connection without an acknowledgement.</source>
        <translation>수신 시스템이 수신 확인 없이 연결을 닫았습니다: %1</translation>
    </message>
    <message>
        <source>The CA file holds no certificate: %1</source>
        <translation>CA 파일에 인증서가 없습니다: %1</translation>
    </message>
    <message>
        <source>The client certificate or its key cannot be read: %1</source>
        <translation>클라이언트 인증서나 그 키를 읽을 수 없습니다: %1</translation>
    </message>
    <message>
        <source>The client key cannot be read: %1</source>
        <translation>클라이언트 키를 읽을 수 없습니다: %1</translation>
    </message>
    <message>
        <source>Nothing runs the network for %1.</source>
        <translation>네트워크를 처리할 프로그램 부분이 없어 보낼 수 없습니다: %1</translation>
    </message>
    <message>
        <source>The FHIR base URL cannot be used: %1</source>
        <translation>FHIR 기본 주소를 사용할 수 없습니다: %1</translation>
    </message>
    <message>
        <source>The FHIR server %1 cannot be reached: %2</source>
        <translation>FHIR 서버에 연결할 수 없습니다: %1 (%2)</translation>
    </message>
    <message>
        <source>No answer came from the FHIR server %1 within the time-out.</source>
        <translation>제한 시간 안에 FHIR 서버의 응답이 없었습니다: %1</translation>
    </message>
    <message>
        <source>The FHIR server answered HTTP %1.</source>
        <translation>FHIR 서버가 결과를 받지 않았습니다: HTTP %1</translation>
    </message>
    <message>
        <source>The FHIR server answered HTTP %1: %2</source>
        <translation>FHIR 서버가 결과를 받지 않았습니다: HTTP %1 (%2)</translation>
    </message>
    <message>
        <source>The FHIR server&apos;s answer is not a transaction-response Bundle.</source>
        <translation>FHIR 서버의 응답이 트랜잭션 응답 번들이 아닙니다.</translation>
    </message>
    <message>
        <source>The FHIR server&apos;s answer holds %1 entries for the %2 sent.</source>
        <translation>FHIR 서버의 응답에 항목이 %1개 있습니다. 보낸 항목은 %2개입니다.</translation>
    </message>
    <message>
        <source>The FHIR server&apos;s answer left %1 results without an outcome; they stay pending.</source>
        <translation>FHIR 서버의 응답에 결과 %1개의 처리 결과가 없습니다. 이 결과는 대기 상태로 남습니다.</translation>
    </message>
    <message>
        <source>The run&apos;s time limit was reached; the rest goes with the next run.</source>
        <translation>한 번 전송의 제한 시간이 지났습니다. 나머지는 다음 전송 때 보냅니다.</translation>
    </message>
    <message>
        <source>%1 results were queued without their stored result; they go once they are queued again.</source>
        <translation>결과 %1개가 저장된 결과 없이 대기열에 있습니다. 다시 대기열에 넣으면 보냅니다.</translation>
    </message>
    <message>
        <source>The results of %1 cannot be opened: the table&apos;s name was refused.</source>
        <translation>결과를 열 수 없습니다. 테이블 이름이 거부되었습니다: %1</translation>
    </message>
    <message>
        <source>The results of %1 cannot be read: %2</source>
        <translation>결과를 읽을 수 없습니다: %1 (%2)</translation>
    </message>
    <message>
        <source>Whether result %1 was deleted cannot be read; nothing was queued.</source>
        <translation>결과 %1 의 삭제 여부를 읽을 수 없어 아무것도 대기열에 넣지 않았습니다.</translation>
    </message>
    <message>
        <source>No TLS client is at hand to send to %1.</source>
        <translation>TLS 클라이언트가 없어 보낼 수 없습니다: %1</translation>
    </message>
    <message>
        <source>No FHIR client is at hand to send to %1.</source>
        <translation>FHIR 클라이언트가 없어 보낼 수 없습니다: %1</translation>
    </message>
    <message>
        <source>The destination is neither mllp(s)://host:port nor a FHIR base URL http(s)://host/path: %1</source>
        <translation>전송 대상은 mllp(s)://호스트:포트 또는 FHIR 기본 주소 http(s)://호스트/경로 형식이어야 합니다: %1</translation>
    </message>
    <message>
        <source>The results for the message file cannot be read.</source>
        <translation>메시지 파일에 넣을 결과를 읽을 수 없습니다.</translation>
    </message>
    <message>
        <source>The message file cannot be written.</source>
        <translation>메시지 파일을 쓸 수 없습니다.</translation>
    </message>
    <message>
        <source>%1: %2 holds a line break or a character that would break the file; nothing was written</source>
        <translation>%1: %2에 줄 바꿈이나 파일을 깨뜨릴 문자가 있어 아무것도 쓰지 않았습니다</translation>
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
    <message>
        <source>%1 (1 result)</source>
        <translation>%1 (결과 1건)</translation>
    </message>
    <message>
        <source>%1 (%2 results)</source>
        <translation>%1 (결과 %2건)</translation>
    </message>
    <message>
        <source>Warning: the records of this patient disagree. Check them before relying on these results.</source>
        <translation>주의: 이 환자의 기록이 서로 다릅니다. 결과를 사용하기 전에 기록을 확인해 주세요.</translation>
    </message>
    <message>
        <source>Names on the records: %1</source>
        <translation>기록에 있는 이름: %1</translation>
    </message>
    <message>
        <source>Birth dates on the records: %1</source>
        <translation>기록에 있는 생년월일: %1</translation>
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
        <translation>QuorinA1c 정보</translation>
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
        <translation>환자ID</translation>
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
        <source>The data folder is on read-only media: %1<byte value="xd"/>
Results can be viewed, printed and exported here, but not changed or deleted.</source>
        <translation>데이터 폴더가 읽기 전용 매체에 있습니다: %1<byte value="xd"/>
여기서는 결과를 보고 인쇄하고 내보낼 수 있지만 수정하거나 삭제할 수는 없습니다.</translation>
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
    <message>
        <source>sent (corrected)</source>
        <translation>전송됨 (수정)</translation>
    </message>
    <message>
        <source>correction held</source>
        <translation>수정 보류</translation>
    </message>
    <message>
        <source>correction pending</source>
        <translation>수정 대기</translation>
    </message>
    <message>
        <source>wrong-patient notice sent</source>
        <translation>환자 오류 통보 전송됨</translation>
    </message>
    <message>
        <source>wrong-patient notice held</source>
        <translation>환자 오류 통보 보류</translation>
    </message>
    <message>
        <source>wrong-patient notice pending</source>
        <translation>환자 오류 통보 대기</translation>
    </message>
    <message>
        <source>deletion sent</source>
        <translation>삭제 통보 전송됨</translation>
    </message>
    <message>
        <source>deletion held</source>
        <translation>삭제 통보 보류</translation>
    </message>
    <message>
        <source>deletion pending</source>
        <translation>삭제 통보 대기</translation>
    </message>
    <message>
        <source>sent again</source>
        <translation>다시 전송됨</translation>
    </message>
    <message>
        <source>resend held</source>
        <translation>재전송 보류</translation>
    </message>
    <message>
        <source>resend pending</source>
        <translation>재전송 대기</translation>
    </message>
    <message>
        <source>Dates</source>
        <translation>날짜 지정</translation>
    </message>
    <message>
        <source>1 patient</source>
        <translation>환자 1명</translation>
    </message>
    <message>
        <source>%1 patients</source>
        <translation>환자 %1명</translation>
    </message>
    <message>
        <source>No patient with this ID</source>
        <translation>해당 ID의 환자가 없습니다</translation>
    </message>
    <message>
        <source>Patient of the glucose result</source>
        <translation>혈당 결과의 환자</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>결과</translation>
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
    <message>
        <source>1 entry</source>
        <translation>1건</translation>
    </message>
</context>
<context>
    <name>qa::Cli</name>
    <message>
        <source>The data folder is on read-only media: %1
Results can be listed, printed and exported from it, but not changed.</source>
        <translation>데이터 폴더가 읽기 전용 매체에 있습니다: %1
여기서는 결과를 목록으로 보고 인쇄하고 내보낼 수 있지만 바꿀 수는 없습니다.</translation>
    </message>
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
        <source>The settings file cannot be written: </source>
        <translation>설정 파일을 쓸 수 없습니다: </translation>
    </message>
    <message>
        <source>The file cannot be written: </source>
        <translation>파일을 쓸 수 없습니다: </translation>
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
    <message>
        <source>--data-dir needs a folder</source>
        <translation>--data-dir 다음에 폴더를 적어 주세요</translation>
    </message>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 다음에 값을 적어 주세요</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation>알 수 없는 옵션 %1</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>명령이 없습니다</translation>
    </message>
    <message>
        <source>unknown command %1</source>
        <translation>알 수 없는 명령 %1</translation>
    </message>
    <message>
        <source>quorina1c-cli: unknown user %1</source>
        <translation>quorina1c-cli: 없는 사용자 %1</translation>
    </message>
    <message>
        <source>unexpected argument %1</source>
        <translation>필요 없는 인자 %1</translation>
    </message>
    <message>
        <source>download needs --port DEVICE</source>
        <translation>download에는 --port DEVICE가 필요합니다</translation>
    </message>
    <message>
        <source>--kind is hba1c or glucose</source>
        <translation>--kind는 hba1c 또는 glucose입니다</translation>
    </message>
    <message>
        <source>imported %1</source>
        <translation>새 결과 %1건 저장</translation>
    </message>
    <message>
        <source>%1 needs --out FILE</source>
        <translation>%1에는 --out FILE이 필요합니다</translation>
    </message>
    <message>
        <source>--format goes with export</source>
        <translation>--format은 export에만 씁니다</translation>
    </message>
    <message>
        <source>--format is csv, hl7 or fhir</source>
        <translation>--format은 csv, hl7 또는 fhir입니다</translation>
    </message>
    <message>
        <source>--weeks and --from/--to exclude each other</source>
        <translation>--weeks와 --from/--to는 함께 쓸 수 없습니다</translation>
    </message>
    <message>
        <source>--from and --to go together</source>
        <translation>--from과 --to는 함께 써야 합니다</translation>
    </message>
    <message>
        <source>dates are written YYYYMMDD</source>
        <translation>날짜는 YYYYMMDD 형식으로 적어 주세요</translation>
    </message>
    <message>
        <source>--weeks takes a number from 0 to 12</source>
        <translation>--weeks에는 0부터 12까지의 수를 적어 주세요</translation>
    </message>
    <message>
        <source>The file was not written: %1</source>
        <translation>파일을 쓰지 않았습니다: %1</translation>
    </message>
    <message>
        <source>The report was not printed: %1</source>
        <translation>보고서를 인쇄하지 않았습니다: %1</translation>
    </message>
    <message>
        <source>%1 does not go with patients</source>
        <translation>%1은(는) patients와 함께 쓸 수 없습니다</translation>
    </message>
    <message>
        <source>Patient ID	Results	Last date	Last result</source>
        <translation>환자ID	결과 수	마지막 날짜	마지막 결과</translation>
    </message>
    <message>
        <source>users needs list, add ID, delete ID, restore ID or switch ID</source>
        <translation>users에는 list, add ID, delete ID, restore ID 또는 switch ID가 필요합니다</translation>
    </message>
    <message>
        <source>settings needs show or set KEY=VALUE...</source>
        <translation>settings에는 show 또는 set KEY=VALUE...가 필요합니다</translation>
    </message>
    <message>
        <source>settings set needs KEY=VALUE</source>
        <translation>settings set에는 KEY=VALUE가 필요합니다</translation>
    </message>
    <message>
        <source>settings set takes KEY=VALUE, not %1</source>
        <translation>settings set에는 KEY=VALUE를 적어 주세요(%1 아님)</translation>
    </message>
    <message>
        <source>Nothing was sent: %1</source>
        <translation>아무것도 보내지 않았습니다: %1</translation>
    </message>
    <message>
        <source>held %1: the receiver refused it (%2 %3)</source>
        <translation>보류 %1: 받는 쪽이 거부했습니다(%2 %3)</translation>
    </message>
    <message>
        <source>Sending stopped: %1</source>
        <translation>보내기를 멈췄습니다: %1</translation>
    </message>
    <message>
        <source>sent %1, pending %2</source>
        <translation>보냄 %1, 대기 %2</translation>
    </message>
    <message>
        <source>corrections: sent %1, pending %2</source>
        <translation>수정: 보냄 %1, 대기 %2</translation>
    </message>
    <message>
        <source>wrong-patient notices: sent %1, pending %2</source>
        <translation>환자 오류 통보: 보냄 %1, 대기 %2</translation>
    </message>
    <message>
        <source>results sent again (new patient or put back): sent %1, pending %2</source>
        <translation>다시 보내는 결과(새 환자 또는 되살림): 보냄 %1, 대기 %2</translation>
    </message>
    <message>
        <source>deletion notices: sent %1, pending %2</source>
        <translation>삭제 통보: 보냄 %1, 대기 %2</translation>
    </message>
    <message>
        <source>audit takes no argument %1</source>
        <translation>audit에는 인자 %1을(를) 쓸 수 없습니다</translation>
    </message>
    <message>
        <source>backup needs --out FILE</source>
        <translation>backup에는 --out FILE이 필요합니다</translation>
    </message>
    <message>
        <source>backup takes no argument %1</source>
        <translation>backup에는 인자 %1을(를) 쓸 수 없습니다</translation>
    </message>
    <message>
        <source>backed up %1 files to %2</source>
        <translation>파일 %1개를 백업했습니다: %2</translation>
    </message>
    <message>
        <source>restore needs one FILE</source>
        <translation>restore에는 FILE 하나가 필요합니다</translation>
    </message>
    <message>
        <source>restored %1</source>
        <translation>복원했습니다: %1</translation>
    </message>
    <message>
        <source>the replaced data folder is kept as %1</source>
        <translation>바뀌기 전 데이터 폴더를 보관한 곳: %1</translation>
    </message>
    <message>
        <source>send needs --to mllp(s)://HOST:PORT or a FHIR base URL http(s)://HOST/PATH, or the Destination setting</source>
        <translation>send에는 --to mllp(s)://HOST:PORT 또는 FHIR 기본 URL http(s)://HOST/PATH, 아니면 Destination 설정이 필요합니다</translation>
    </message>
    <message>
        <source>the destination is written mllp(s)://HOST:PORT or as a FHIR base URL http(s)://HOST/PATH, not %1</source>
        <translation>보낼 곳은 mllp(s)://HOST:PORT 형식이나 FHIR 기본 URL http(s)://HOST/PATH 형식으로 적어 주세요(%1 아님)</translation>
    </message>
    <message>
        <source>held %1: the FHIR server refused it (%2)</source>
        <translation>보류 %1: FHIR 서버가 거부했습니다(%2)</translation>
    </message>
    <message>
        <source>sending: %1 of %2</source>
        <translation>보내는 중: %2건 중 %1건</translation>
    </message>
    <message>
        <source>held without a patient: %1 (given a patient, they go; Send_without_patient=1 sends them as they are)</source>
        <translation>환자 없이 보류된 결과: %1건 (환자를 지정하면 보내지고, Send_without_patient=1이면 그대로 보냅니다)</translation>
    </message>
    <message>
        <source>--ids goes with list</source>
        <translation>--ids는 list와 함께 씁니다</translation>
    </message>
    <message>
        <source>Result ID</source>
        <translation>결과 ID</translation>
    </message>
    <message>
        <source>audit undelete needs the ID of the deleted result</source>
        <translation>audit undelete에는 삭제된 결과의 ID가 필요합니다</translation>
    </message>
    <message>
        <source>modify needs ID KEY=VALUE...</source>
        <translation>modify에는 ID와 KEY=VALUE...가 필요합니다</translation>
    </message>
    <message>
        <source>modify takes PID=, Name=, Birthday=, Type= or Memo=, not %1</source>
        <translation>modify에는 PID=, Name=, Birthday=, Type=, Memo=를 적어 주세요(%1 아님)</translation>
    </message>
    <message>
        <source>A glucose result has a patient ID alone to change (PID=).</source>
        <translation>혈당 결과는 환자 ID(PID=)만 바꿀 수 있습니다.</translation>
    </message>
    <message>
        <source>Birthday is a date written YYYYMMDD, not %1</source>
        <translation>Birthday는 YYYYMMDD 형식의 날짜입니다(%1 아님)</translation>
    </message>
    <message>
        <source>Type is none, type1, type2, gestational, normal (0 to 4) or empty, not %1</source>
        <translation>Type은 none, type1, type2, gestational, normal(0부터 4) 또는 빈 값입니다(%1 아님)</translation>
    </message>
    <message>
        <source>The result was not changed: %1</source>
        <translation>결과를 바꾸지 못했습니다: %1</translation>
    </message>
    <message>
        <source>modified %1</source>
        <translation>%1 수정함</translation>
    </message>
    <message>
        <source>delete needs the result&apos;s ID</source>
        <translation>delete에는 결과의 ID가 필요합니다</translation>
    </message>
    <message>
        <source>The result was not deleted: %1</source>
        <translation>결과를 삭제하지 못했습니다: %1</translation>
    </message>
    <message>
        <source>deleted %1</source>
        <translation>%1 삭제함</translation>
    </message>
    <message>
        <source>put back %1</source>
        <translation>%1 되돌려 놓음</translation>
    </message>
    <message>
        <source>No deleted result with the ID %1 is remembered.</source>
        <translation>ID가 %1인 삭제된 결과의 기록이 없습니다.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is the ID of several patients (%2); give the ID as it is stored</source>
        <translation>&quot;%1&quot;은(는) 여러 환자의 ID입니다(%2). 저장된 그대로 ID를 입력해 주세요</translation>
    </message>
    <message>
        <source>Name	Birth date	Records</source>
        <translation>이름	생년월일	기록</translation>
    </message>
    <message>
        <source>DISAGREE</source>
        <translation>불일치</translation>
    </message>
    <message>
        <source>Nothing was changed: the audit log cannot be written: </source>
        <translation>감사 기록에 쓸 수 없어 아무것도 바꾸지 않았습니다: </translation>
    </message>
    <message>
        <source>released %1 held without a patient: a patient was given to them</source>
        <translation>환자를 지정해 보류에서 풀린 결과: %1건</translation>
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
        <source>Sending: %1 of %2</source>
        <translation>보내는 중: %2건 중 %1건</translation>
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
        <source>The settings file could not be written.</source>
        <translation>설정 파일을 쓸 수 없습니다.</translation>
    </message>
    <message>
        <source>Send pending</source>
        <translation>대기 결과 보내기</translation>
    </message>
    <message>
        <source>An MLLP receiver, mllp://host:port, or a FHIR server&apos;s base URL, http(s)://host/path</source>
        <translation>MLLP 수신 쪽 mllp://host:port, 또는 FHIR 서버의 기본 URL http(s)://host/path</translation>
    </message>
    <message>
        <source>Answer time-out</source>
        <translation>응답 대기 시간</translation>
    </message>
    <message>
        <source>The destination is written mllp://host:port, or as a FHIR server&apos;s base URL http(s)://host/path.</source>
        <translation>보낼 곳은 mllp://host:port 형식이나 FHIR 서버의 기본 URL http(s)://host/path 형식으로 씁니다.</translation>
    </message>
    <message>
        <source>Results that name no patient are not sent: open one to give it a patient</source>
        <translation>환자가 없는 결과는 보내지 않습니다. 결과를 열어 환자를 지정하십시오.</translation>
    </message>
    <message>
        <source>No patient: %1</source>
        <translation>환자 없음: %1</translation>
    </message>
    <message>
        <source>Results without a patient</source>
        <translation>환자가 없는 결과</translation>
    </message>
    <message>
        <source>These results name no patient and are not sent. Open one to give it its patient; it goes at the next send.</source>
        <translation>이 결과에는 환자가 없어 보내지 않습니다. 결과를 열어 환자를 지정하면 다음 전송 때 보냅니다.</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>종류</translation>
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
        <source>Glucose</source>
        <translation>혈당</translation>
    </message>
    <message>
        <source>Give a patient...</source>
        <translation>환자 지정...</translation>
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
    <message>
        <source>Exporting...</source>
        <translation>내보내는 중...</translation>
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
        <translation>통신 포트</translation>
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
        <translation>어느 포트에서도 측정기를 찾지 못했습니다. 측정기를 연결하고 포트 검색을 누르거나, 포트를 직접 선택해 주세요.</translation>
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
        <translation>대문자</translation>
    </message>
    <message>
        <source>NUM</source>
        <translation>숫자</translation>
    </message>
    <message>
        <source>SCRL</source>
        <translation>스크롤</translation>
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
        <source>QuorinA1c 관리 프로그램 v1.09</source>
        <translation>QuorinA1c 관리 프로그램 v1.09</translation>
    </message>
    <message>
        <source>Delete: delete the selected result. %1: reload the list.</source>
        <translation>Delete: 선택한 결과 삭제. %1: 목록 새로 읽기.</translation>
    </message>
    <message>
        <source>A patient ID or name; Enter lists that patient (%1)</source>
        <translation>환자 ID 또는 이름: Enter를 누르면 그 환자의 결과를 봅니다 (%1)</translation>
    </message>
    <message>
        <source>1 new result stored.</source>
        <translation>새 결과 1건을 저장했습니다.</translation>
    </message>
</context>
<context>
    <name>qa::PatientChooser</name>
    <message>
        <source>Choose the patient</source>
        <translation>환자 선택</translation>
    </message>
    <message>
        <source>&quot;%1&quot; matches %2 patients. Choose the one whose results to list:</source>
        <translation>&quot;%1&quot;에 해당하는 환자가 %2명입니다. 결과를 볼 환자를 선택해 주세요:</translation>
    </message>
    <message>
        <source>Only the first %1 are shown: type more of the ID or the name.</source>
        <translation>처음 %1명만 표시됩니다. ID나 이름을 더 입력해 주세요.</translation>
    </message>
    <message>
        <source>Patient ID</source>
        <translation>환자 ID</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>이름</translation>
    </message>
    <message>
        <source>Birth date</source>
        <translation>생년월일</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>결과 수</translation>
    </message>
    <message>
        <source>Newest</source>
        <translation>최근 날짜</translation>
    </message>
    <message>
        <source>Show this patient</source>
        <translation>이 환자 보기</translation>
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
    <message>
        <source>Name</source>
        <translation>이름</translation>
    </message>
    <message>
        <source>Birth date</source>
        <translation>생년월일</translation>
    </message>
    <message>
        <source>Print the patient report (%1)</source>
        <translation>환자 보고서 인쇄 (%1)</translation>
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
    <name>qa::QtPrompter</name>
    <message>
        <source>다시 시도</source>
        <translation>다시 시도</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>취소</translation>
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
    <message>
        <source>there is no such port; check that the meter is plugged in and switched on</source>
        <translation>그런 포트가 없습니다. 측정기가 연결되어 있고 켜져 있는지 확인해 주세요</translation>
    </message>
    <message>
        <source>this user may not use the port</source>
        <translation>이 사용자에게 포트 사용 권한이 없습니다</translation>
    </message>
    <message>
        <source>the port is in use by another program</source>
        <translation>다른 프로그램이 포트를 사용하고 있습니다</translation>
    </message>
    <message>
        <source>the port cannot be opened: %1</source>
        <translation>포트를 열 수 없습니다: %1</translation>
    </message>
    <message>
        <source>The connection to the meter was lost: it was unplugged or switched off.</source>
        <translation>측정기와의 연결이 끊어졌습니다: 케이블이 빠졌거나 측정기가 꺼졌습니다.</translation>
    </message>
    <message>
        <source>Writing to the meter&apos;s port failed.</source>
        <translation>측정기 포트에 쓰지 못했습니다.</translation>
    </message>
    <message>
        <source>The meter&apos;s port reported an error.</source>
        <translation>측정기 포트에서 오류가 났습니다.</translation>
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
        <translation>전자우편</translation>
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
        <source>%1: too long. At most %2 bytes are kept (a Hangul syllable takes 2).</source>
        <translation>%1: 너무 깁니다. 최대 %2바이트까지 저장합니다 (한글 한 글자는 2바이트).</translation>
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
    <message>
        <source>Target ranges</source>
        <translation>목표 범위</translation>
    </message>
    <message>
        <source>Check folder...</source>
        <translation>폴더 검사...</translation>
    </message>
    <message>
        <source>The settings could not be saved.<byte value="xd"/>
%1</source>
        <translation>설정을 저장할 수 없습니다.<byte value="xd"/>
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
    <message>
        <source>The data folder could be read by other accounts of this computer. It and its files are now private to this account: %1</source>
        <translation>이 컴퓨터의 다른 계정이 데이터 폴더를 읽을 수 있었습니다. 이제 폴더와 그 파일은 이 계정만 쓸 수 있습니다: %1</translation>
    </message>
    <message>
        <source>The data folder is not writable: %1</source>
        <translation>데이터 폴더에 쓸 수 없습니다: %1</translation>
    </message>
    <message>
        <source>The lock file could not be created: %1</source>
        <translation>잠금 파일을 만들 수 없습니다: %1</translation>
    </message>
    <message>
        <source>A restore was interrupted. The data folder it replaced is kept as %1</source>
        <translation>복원이 중단되었습니다. 복원으로 바뀐 데이터 폴더는 다음 이름으로 보관됩니다: %1</translation>
    </message>
    <message>
        <source>Files of an operator that was never added hold results and were kept: %1</source>
        <translation>추가되지 않은 사용자의 파일에 결과가 있어 남겨 두었습니다: %1</translation>
    </message>
    <message>
        <source>The data folder %1 is missing. A restore was interrupted and the earlier data folder is kept as %2. Move it back to %1 to use it; no empty data folder was made.</source>
        <translation>데이터 폴더 %1이(가) 없습니다. 복원이 중단되었고 이전 데이터 폴더는 %2(으)로 보관되어 있습니다. 사용하려면 %1(으)로 되돌려 놓으십시오. 빈 데이터 폴더는 만들지 않았습니다.</translation>
    </message>
    <message>
        <source>The data folder %1 is missing. A restore was interrupted and the earlier data folder is kept as %2.

Use that copy as the data folder again?</source>
        <translation>데이터 폴더 %1이(가) 없습니다. 복원이 중단되었고 이전 데이터 폴더는 %2(으)로 보관되어 있습니다.

그 사본을 다시 데이터 폴더로 사용하시겠습니까?</translation>
    </message>
</context>
<context>
    <name>qa::Usage</name>
    <message>
        <source>The data folder is $APPDATA/OrvoA1c when APPDATA is set (shared with installations that keep a Windows profile folder), otherwise $XDG_DATA_HOME/OrvoA1c, normally ~/.local/share/OrvoA1c; --data-dir DIR uses DIR itself. It holds everything the program keeps: back it up to back up everything. ID stands for an operator&apos;s ID.</source>
        <translation>데이터 폴더는 APPDATA가 설정되어 있으면 $APPDATA/OrvoA1c(Windows 프로필 폴더를 함께 쓰는 설치와 공유), 아니면 $XDG_DATA_HOME/OrvoA1c, 보통 ~/.local/share/OrvoA1c입니다. --data-dir DIR을 주면 DIR 자체를 씁니다. 프로그램이 보관하는 모든 것이 이 폴더에 있으므로, 이 폴더를 백업하면 전부 백업됩니다. ID는 사용자 ID를 뜻합니다.</translation>
    </message>
    <message>
        <source>The operators and which of them is the current one.</source>
        <translation>사용자 목록과 현재 사용자.</translation>
    </message>
    <message>
        <source>The settings of operator ID: units, date and time formats, ranges, language and the operator&apos;s details.</source>
        <translation>사용자 ID의 설정: 단위, 날짜와 시간 형식, 범위, 언어, 사용자 정보.</translation>
    </message>
    <message>
        <source>The list of operator ID&apos;s tables.</source>
        <translation>사용자 ID의 테이블 목록.</translation>
    </message>
    <message>
        <source>The stored HbA1c and glucose results of operator ID (SQLite databases).</source>
        <translation>사용자 ID가 저장한 HbA1c와 혈당 결과(SQLite 데이터베이스).</translation>
    </message>
    <message>
        <source>The results of operator ID&apos;s last download of each kind.</source>
        <translation>사용자 ID가 종류별로 마지막에 다운로드한 결과.</translation>
    </message>
    <message>
        <source>The delivery state of operator ID&apos;s results sent to the laboratory system: pending, sent or held.</source>
        <translation>사용자 ID가 검사실 시스템에 보낸 결과의 전달 상태: 대기, 보냄, 보류.</translation>
    </message>
    <message>
        <source>The audit trail: every change to stored results, operators and settings, and every export, print, backup and restore; entries are only ever added.</source>
        <translation>감사 기록: 저장된 결과, 사용자, 설정의 모든 변경과 모든 내보내기, 인쇄, 백업, 복원. 기록은 추가만 됩니다.</translation>
    </message>
    <message>
        <source>The raw bytes of the last transfer from the meter, for support.</source>
        <translation>측정기에서 마지막으로 받은 원본 바이트(지원용).</translation>
    </message>
    <message>
        <source>Held while a program works on the folder, so that a second one does not; a lock left behind by a program that died is taken over.</source>
        <translation>프로그램이 폴더를 쓰는 동안 잡아 두어 다른 프로그램이 함께 쓰지 못하게 합니다. 비정상 종료한 프로그램이 남긴 잠금은 넘겨받습니다.</translation>
    </message>
    <message>
        <source>When set, the data folder is $APPDATA/OrvoA1c.</source>
        <translation>설정되어 있으면 데이터 폴더는 $APPDATA/OrvoA1c입니다.</translation>
    </message>
    <message>
        <source>Otherwise the data folder is $XDG_DATA_HOME/OrvoA1c; ~/.local/share when the variable is not set.</source>
        <translation>그렇지 않으면 데이터 폴더는 $XDG_DATA_HOME/OrvoA1c입니다. 이 변수가 없으면 ~/.local/share를 씁니다.</translation>
    </message>
    <message>
        <source>SERIAL PORT ACCESS</source>
        <translation>직렬 포트 접근</translation>
    </message>
    <message>
        <source>The meter appears as a USB serial port: /dev/ttyACM* for its own virtual COM port (USB id 0483:5740), /dev/ttyUSB* behind a Prolific USB serial adapter (067b:2303).</source>
        <translation>측정기는 USB 직렬 포트로 나타납니다: 측정기 자체의 가상 COM 포트(USB id 0483:5740)는 /dev/ttyACM*, Prolific USB 직렬 어댑터(067b:2303)를 거치면 /dev/ttyUSB*입니다.</translation>
    </message>
    <message>
        <source>The udev rule %1 gives the user logged in at the computer access to these two kinds of port and keeps ModemManager from probing them. After installing it, plug the meter in again (or run sudo udevadm trigger) so that it applies.</source>
        <translation>udev 규칙 %1은(는) 컴퓨터 앞에서 로그인한 사용자에게 이 두 종류의 포트 접근을 허용하고 ModemManager가 포트를 건드리지 않게 합니다. 설치한 뒤에는 측정기를 다시 꽂아야(또는 sudo udevadm trigger를 실행해야) 적용됩니다.</translation>
    </message>
    <message>
        <source>Without the rule, for other adapters and for users logged in remotely, serial ports belong to the group dialout: add the user to it (sudo adduser $USER dialout), then log out and in again.</source>
        <translation>규칙이 없거나, 다른 어댑터이거나, 원격으로 로그인한 사용자라면 직렬 포트는 dialout 그룹에 속합니다: 사용자를 이 그룹에 추가하고(sudo adduser $USER dialout) 다시 로그인해 주세요.</translation>
    </message>
    <message>
        <source>Use DIR itself as the data folder, created when missing, instead of the default folder.</source>
        <translation>기본 폴더 대신 DIR 자체를 데이터 폴더로 씁니다. 없으면 만듭니다.</translation>
    </message>
    <message>
        <source>Print this help and exit.</source>
        <translation>이 도움말을 보여 주고 끝냅니다.</translation>
    </message>
    <message>
        <source>Print the version and exit.</source>
        <translation>버전을 보여 주고 끝냅니다.</translation>
    </message>
    <message>
        <source>download and manage the results of the HbA1c and glucose meter without a window</source>
        <translation>창 없이 HbA1c·혈당 측정기의 결과를 다운로드하고 관리합니다</translation>
    </message>
    <message>
        <source>quorina1c-cli downloads the results of the point-of-care HbA1c and blood-glucose meter and lists, exports, prints and manages the results, operators and settings kept in the data folder. It runs the store and download code of quorina1c without a window, for scripts, support and tests.</source>
        <translation>quorina1c-cli는 현장 진단용 HbA1c·혈당 측정기의 결과를 다운로드하고, 데이터 폴더에 있는 결과, 사용자, 설정을 보여 주고 내보내고 인쇄하고 관리합니다. quorina1c의 저장 코드와 다운로드 코드를 창 없이 실행하며, 스크립트, 지원, 시험에 씁니다.</translation>
    </message>
    <message>
        <source>Every command works on the current operator&apos;s files unless --user names another operator. Commands that change files take the data folder&apos;s lock first, so they refuse to run while the window or another command works on the same folder.</source>
        <translation>모든 명령은 --user로 다른 사용자를 지정하지 않으면 현재 사용자의 파일에 작업합니다. 파일을 바꾸는 명령은 먼저 데이터 폴더의 잠금을 잡으므로, 창이나 다른 명령이 같은 폴더를 쓰는 동안에는 실행되지 않습니다.</translation>
    </message>
    <message>
        <source>Questions that the window would ask are answered yes: the command itself is the operator&apos;s decision. Messages go to standard error.</source>
        <translation>창이라면 물어볼 질문에는 &quot;예&quot;로 답합니다: 명령을 실행한 것 자체가 사용자의 결정입니다. 메시지는 표준 오류로 나갑니다.</translation>
    </message>
    <message>
        <source>The program speaks the language of the operator it works for (the lang setting: Korean or English), also in this help and its error messages; with --user, that operator&apos;s language. Korean until an operator chooses English.</source>
        <translation>프로그램은 작업하는 사용자의 언어(lang 설정: 한국어 또는 영어)로 말하며, 이 도움말과 오류 메시지도 마찬가지입니다. --user를 주면 그 사용자의 언어를 씁니다. 사용자가 영어를 고르기 전까지는 한국어입니다.</translation>
    </message>
    <message>
        <source>Fetches the stored results of one kind from the meter on the serial port DEVICE and stores the new ones; results already stored are skipped. The progress texts go to standard error and the number of new results (&quot;imported N&quot;) to standard output. The meter&apos;s records are erased only with --erase, and only once they are stored. SIGINT or SIGTERM stops a download within a second; nothing of the partial transfer is stored and the exit status is 1.</source>
        <translation>직렬 포트 DEVICE에 연결된 측정기에서 한 종류의 저장 결과를 받아 새 결과를 저장합니다. 이미 저장된 결과는 건너뜁니다. 진행 문구는 표준 오류로, 새 결과의 수(&quot;새 결과 N건 저장&quot;)는 표준 출력으로 나갑니다. 측정기의 기록은 --erase를 주었을 때만, 그리고 저장을 마친 뒤에만 지웁니다. SIGINT나 SIGTERM을 받으면 1초 안에 다운로드를 멈춥니다. 이때 받다 만 내용은 저장하지 않고 종료 상태는 1입니다.</translation>
    </message>
    <message>
        <source>Prints the stored results on standard output in UTF-8, newest first: the header and rows that export writes, formatted by the operator&apos;s settings.</source>
        <translation>저장된 결과를 최신순으로 표준 출력에 UTF-8로 보여 줍니다: export가 쓰는 머리글과 행이며, 사용자 설정의 형식을 따릅니다.</translation>
    </message>
    <message>
        <source>Writes the same list to FILE: as a CSV file for spreadsheet programs, as the window&apos;s export button does (code page 949 for a Korean operator, UTF-8 with a byte-order mark for an English one), or with --format hl7 as a batch of HL7 v2 ORU^R01 messages, or with --format fhir as a FHIR R4 bundle.</source>
        <translation>같은 목록을 FILE에 씁니다: 창의 내보내기 단추처럼 스프레드시트용 CSV 파일로(한국어 사용자는 코드 페이지 949, 영어 사용자는 바이트 순서 표시가 붙은 UTF-8), --format hl7이면 HL7 v2 ORU^R01 메시지 묶음으로, --format fhir이면 FHIR R4 번들로 씁니다.</translation>
    </message>
    <message>
        <source>Prints the data report of the same list to FILE as PDF, through the print code of the window&apos;s print button. With --patient it prints the patient report instead: the patient&apos;s HbA1c and glucose results of the period with their summary and charts, as the patient page prints it. It needs no display.</source>
        <translation>같은 목록의 데이터 보고서를 창의 인쇄 단추와 같은 인쇄 코드로 FILE에 PDF로 인쇄합니다. --patient를 주면 대신 환자 보고서를 인쇄합니다: 환자 화면이 인쇄하는 것처럼 기간 안의 HbA1c와 혈당 결과를 요약, 차트와 함께 인쇄합니다. 화면이 없어도 됩니다.</translation>
    </message>
    <message>
        <source>list prints the operators, the current one marked with *; add creates an operator; delete takes an operator off the list and moves all of their files into the data folder&apos;s deleted_users folder, after which the first remaining operator is the current one (the last operator cannot be deleted); restore brings a deleted operator&apos;s files back and lists them again; switch makes ID the current operator.</source>
        <translation>list는 사용자 목록을 보여 주며 현재 사용자에 *를 붙입니다. add는 사용자를 만듭니다. delete는 사용자를 목록에서 빼고 그 파일을 모두 데이터 폴더의 deleted_users 폴더로 옮기며, 남은 첫 사용자가 현재 사용자가 됩니다(마지막 사용자는 지울 수 없습니다). restore는 삭제된 사용자의 파일을 되돌리고 다시 목록에 넣습니다. switch는 ID를 현재 사용자로 바꿉니다.</translation>
    </message>
    <message>
        <source>show prints the current operator&apos;s settings as KEY=VALUE lines; set changes one or more of them (keys in any case) and writes the settings file once. The keys are those of the settings file:</source>
        <translation>show는 현재 사용자의 설정을 KEY=VALUE 줄로 보여 줍니다. set은 설정을 하나 이상 바꾸고(키의 대소문자는 상관없음) 설정 파일을 한 번에 씁니다. 키는 설정 파일의 키입니다:</translation>
    </message>
    <message>
        <source>0 percent, 1 mmol/mol.</source>
        <translation>0 퍼센트, 1 mmol/mol.</translation>
    </message>
    <message>
        <source>0 mg/dL, 1 mmol/L.</source>
        <translation>0 mg/dL, 1 mmol/L.</translation>
    </message>
    <message>
        <source>0 year-month-day, 1 month-day-year, 2 day-month-year.</source>
        <translation>0 년-월-일, 1 월-일-년, 2 일-월-년.</translation>
    </message>
    <message>
        <source>0 12-hour with AM/PM, 1 24-hour.</source>
        <translation>0 AM/PM을 붙인 12시간제, 1 24시간제.</translation>
    </message>
    <message>
        <source>the upper and lower limits of the HbA1c range, in percent (6.7 and 4.5 at first).</source>
        <translation>HbA1c 범위의 상한과 하한, 퍼센트(처음에는 6.7과 4.5).</translation>
    </message>
    <message>
        <source>the upper and lower limits of the glucose range, in mg/dL (160 and 80 at first).</source>
        <translation>혈당 범위의 상한과 하한, mg/dL(처음에는 160과 80).</translation>
    </message>
    <message>
        <source>the language of the window and the command line: 0 Korean, 1 English.</source>
        <translation>창과 명령줄의 언어: 0 한국어, 1 영어.</translation>
    </message>
    <message>
        <source>the operator&apos;s details.</source>
        <translation>사용자 정보.</translation>
    </message>
    <message>
        <source>the operator&apos;s memo.</source>
        <translation>사용자 메모.</translation>
    </message>
    <message>
        <source>sending results to the laboratory system: 0 off, 1 on.</source>
        <translation>검사실 시스템으로 결과 보내기: 0 끔, 1 켬.</translation>
    </message>
    <message>
        <source>the names the HL7 messages carry.</source>
        <translation>HL7 메시지에 들어가는 이름.</translation>
    </message>
    <message>
        <source>Prints the data folder&apos;s audit trail, oldest first: every modify, delete, import, operator added or deleted, settings change, export, print, backup and restore, with the operator, the time and the program version. --patient keeps the entries of one patient ID, --from and --to those of a span of days. undelete ID puts back the deleted result whose ID its delete entry names, under the same ID, and records that too.</source>
        <translation>데이터 폴더의 감사 기록을 오래된 순서로 보여 줍니다: 모든 수정, 삭제, 가져오기, 사용자 추가와 삭제, 설정 변경, 내보내기, 인쇄, 백업, 복원을 사용자, 시각, 프로그램 버전과 함께 보여 줍니다. --patient는 한 환자 ID의 기록만, --from과 --to는 기간 안의 기록만 남깁니다. undelete ID는 삭제 기록이 가리키는 ID의 삭제된 결과를 같은 ID로 되돌려 놓고, 그것도 기록합니다.</translation>
    </message>
    <message>
        <source>Writes a consistent snapshot of the data folder into one archive FILE (a tar file with a manifest of SHA-256 checksums), also while the window runs.</source>
        <translation>창이 실행 중일 때에도 데이터 폴더의 일관된 스냅숏을 보관 파일 FILE 하나(SHA-256 체크섬 목록이 든 tar 파일)에 씁니다.</translation>
    </message>
    <message>
        <source>Checks the archive FILE whole (manifest, checksums, every database) before it replaces anything, then puts it in place of the data folder; the replaced folder is kept beside it, renamed with the time of the restore. The window must be closed.</source>
        <translation>무엇이든 바꾸기 전에 보관 파일 FILE 전체(목록, 체크섬, 모든 데이터베이스)를 검사한 뒤 데이터 폴더 자리에 놓습니다. 바뀌기 전 폴더는 복원 시각을 붙인 이름으로 옆에 보관합니다. 창은 닫혀 있어야 합니다.</translation>
    </message>
    <message>
        <source>The meter&apos;s serial port: a device path such as /dev/ttyACM0, or a name under /dev such as ttyUSB0.</source>
        <translation>측정기의 직렬 포트: /dev/ttyACM0 같은 장치 경로나 ttyUSB0 같은 /dev 아래의 이름.</translation>
    </message>
    <message>
        <source>The result kind: hba1c (the default) or glucose.</source>
        <translation>결과 종류: hba1c(기본값) 또는 glucose.</translation>
    </message>
    <message>
        <source>Work on the files of the existing operator ID without changing the current operator.</source>
        <translation>현재 사용자를 바꾸지 않고 기존 사용자 ID의 파일에 작업합니다.</translation>
    </message>
    <message>
        <source>Only the results of the N weeks up to the newest stored date, as the period choice of the window&apos;s list; N is 0 to 12, and 0 keeps everything.</source>
        <translation>창의 목록에서 기간을 고르는 것처럼, 가장 최근 저장 날짜까지 N주 동안의 결과만 씁니다. N은 0부터 12까지이며 0이면 모두 씁니다.</translation>
    </message>
    <message>
        <source>Together with --to: only the results from DATE to the --to date, as the search of the window&apos;s list. Dates are written YYYYMMDD and lie at most 366 days apart.</source>
        <translation>--to와 함께: 창의 목록 검색처럼 DATE부터 --to 날짜까지의 결과만 씁니다. 날짜는 YYYYMMDD 형식이며 최대 366일 떨어질 수 있습니다.</translation>
    </message>
    <message>
        <source>The file that export or report writes.</source>
        <translation>export나 report가 쓸 파일.</translation>
    </message>
    <message>
        <source>What export writes: csv (the default), hl7 or fhir.</source>
        <translation>export가 쓸 형식: csv(기본값), hl7 또는 fhir.</translation>
    </message>
    <message>
        <source>Only the results of this patient ID, exactly as stored (list, export, report), or with audit only the entries of this patient ID.</source>
        <translation>저장된 그대로의 이 환자 ID의 결과만(list, export, report), audit에서는 이 환자 ID의 기록만 씁니다.</translation>
    </message>
    <message>
        <source>Let download erase the meter&apos;s records once they are stored.</source>
        <translation>download가 저장을 마친 뒤 측정기의 기록을 지우게 합니다.</translation>
    </message>
    <message>
        <source>Let send try the results the receiver refused once more.</source>
        <translation>send가 받는 쪽이 거부한 결과를 한 번 더 보내게 합니다.</translation>
    </message>
    <message>
        <source>Success, also when the meter holds no data or no new data.</source>
        <translation>성공. 측정기에 데이터나 새 데이터가 없을 때도 마찬가지입니다.</translation>
    </message>
    <message>
        <source>The operation failed; the program&apos;s own message is on standard error.</source>
        <translation>작업이 실패했습니다. 프로그램의 메시지는 표준 오류에 있습니다.</translation>
    </message>
    <message>
        <source>Bad usage: an unknown command or option, a missing or malformed value, or an unknown operator.</source>
        <translation>잘못된 사용: 알 수 없는 명령이나 옵션, 빠졌거나 형식이 틀린 값, 또는 없는 사용자.</translation>
    </message>
    <message>
        <source>Fetch the glucose results from the meter on /dev/ttyACM0, then export those of the last four weeks:</source>
        <translation>/dev/ttyACM0에 연결된 측정기에서 혈당 결과를 받은 뒤, 최근 4주의 결과를 내보냅니다:</translation>
    </message>
    <message>
        <source>Show HbA1c in mmol/mol and glucose in mmol/L from now on:</source>
        <translation>이제부터 HbA1c는 mmol/mol로, 혈당은 mmol/L로 보여 줍니다:</translation>
    </message>
    <message>
        <source>desktop data manager of a point-of-care HbA1c and blood-glucose meter</source>
        <translation>현장 진단용 HbA1c·혈당 측정기의 데스크톱 데이터 관리 프로그램</translation>
    </message>
    <message>
        <source>quorina1c is the desktop data manager of a point-of-care HbA1c and blood-glucose meter, for clinic staff. The operator plugs the meter in by USB; the program finds its serial port, downloads the stored results, checks every record and stores the new ones in the operator&apos;s own files. The operator then lists, filters, edits, deletes, prints and exports the results in the units and formats of their own settings.</source>
        <translation>quorina1c는 병의원 직원을 위한 현장 진단용 HbA1c·혈당 측정기의 데스크톱 데이터 관리 프로그램입니다. 사용자가 측정기를 USB로 연결하면 프로그램이 직렬 포트를 찾아 저장된 결과를 받고, 모든 기록을 검사하여 새 결과를 사용자 자신의 파일에 저장합니다. 사용자는 결과를 자신의 설정에 따른 단위와 형식으로 보고, 거르고, 고치고, 지우고, 인쇄하고, 내보냅니다.</translation>
    </message>
    <message>
        <source>Only one copy of the program works on a data folder at a time: a second copy says so and closes by itself after five seconds.</source>
        <translation>한 데이터 폴더에서는 프로그램 하나만 실행됩니다: 두 번째로 실행한 프로그램은 그렇게 알리고 5초 뒤에 스스로 끝납니다.</translation>
    </message>
    <message>
        <source>The program also takes the standard options of Qt applications, such as -platform and -style. quorina1c-cli does the same work without a window.</source>
        <translation>프로그램은 -platform, -style 같은 Qt 응용 프로그램의 표준 옵션도 받습니다. quorina1c-cli는 같은 일을 창 없이 합니다.</translation>
    </message>
    <message>
        <source>List DEVICE first among the serial ports and take it as the meter&apos;s port, for a meter behind a port that the search does not recognise (and for a simulated meter).</source>
        <translation>직렬 포트 목록의 맨 앞에 DEVICE를 두고 측정기 포트로 씁니다. 검색이 알아보지 못하는 포트에 연결된 측정기(와 모의 측정기)에 씁니다.</translation>
    </message>
    <message>
        <source>Read the serial ports below ROOT instead of /sys (for tests).</source>
        <translation>/sys 대신 ROOT 아래에서 직렬 포트를 읽습니다(시험용).</translation>
    </message>
    <message>
        <source>The window was closed, or another copy already works on the data folder.</source>
        <translation>창을 닫았거나, 다른 프로그램이 이미 데이터 폴더를 쓰고 있습니다.</translation>
    </message>
    <message>
        <source>The data folder could not be created or locked, or an option was not understood.</source>
        <translation>데이터 폴더를 만들거나 잠글 수 없었거나, 옵션을 알아들을 수 없었습니다.</translation>
    </message>
    <message>
        <source>The column layouts of the lists are kept in $XDG_CONFIG_HOME/Local AppWizard-Generated Applications/QuorinA1cComm.ini; ~/.config when the variable is not set.</source>
        <translation>목록의 열 배치는 $XDG_CONFIG_HOME/Local AppWizard-Generated Applications/QuorinA1cComm.ini에 보관합니다. 이 변수가 없으면 ~/.config를 씁니다.</translation>
    </message>
    <message>
        <source>usage:</source>
        <translation>사용법:</translation>
    </message>
    <message>
        <source>Commands:</source>
        <translation>명령:</translation>
    </message>
    <message>
        <source>Options:</source>
        <translation>옵션:</translation>
    </message>
    <message>
        <source>Exit status:</source>
        <translation>종료 상태:</translation>
    </message>
    <message>
        <source>Data folder:</source>
        <translation>데이터 폴더:</translation>
    </message>
    <message>
        <source>Run %1 --help for the options.</source>
        <translation>옵션은 %1 --help로 볼 수 있습니다.</translation>
    </message>
    <message>
        <source>NAME</source>
        <translation>이름</translation>
    </message>
    <message>
        <source>SYNOPSIS</source>
        <translation>사용법</translation>
    </message>
    <message>
        <source>DESCRIPTION</source>
        <translation>설명</translation>
    </message>
    <message>
        <source>COMMANDS</source>
        <translation>명령</translation>
    </message>
    <message>
        <source>OPTIONS</source>
        <translation>옵션</translation>
    </message>
    <message>
        <source>EXIT STATUS</source>
        <translation>종료 상태</translation>
    </message>
    <message>
        <source>FILES</source>
        <translation>파일</translation>
    </message>
    <message>
        <source>ENVIRONMENT</source>
        <translation>환경 변수</translation>
    </message>
    <message>
        <source>EXAMPLES</source>
        <translation>예</translation>
    </message>
    <message>
        <source>SEE ALSO</source>
        <translation>참고</translation>
    </message>
    <message>
        <source>User Commands</source>
        <translation>사용자 명령</translation>
    </message>
    <message>
        <source>where send delivers them, mllp://HOST:PORT or a FHIR base URL http(s)://HOST/PATH.</source>
        <translation>send가 결과를 보낼 곳, mllp://HOST:PORT 또는 FHIR 기본 URL http(s)://HOST/PATH.</translation>
    </message>
    <message>
        <source>seconds to wait for the receiver&apos;s answer to a message or Bundle.</source>
        <translation>받는 쪽이 메시지나 Bundle에 응답하기를 기다리는 시간(초).</translation>
    </message>
    <message>
        <source>PID-3.4: an OID, or a namespace; empty for the installation&apos;s own OID.</source>
        <translation>PID-3.4: OID 또는 네임스페이스. 비우면 설치본 고유 OID.</translation>
    </message>
    <message>
        <source>the FHIR identifier systems (URIs) of patients and results; empty for the installation&apos;s own.</source>
        <translation>환자와 결과의 FHIR 식별자 시스템(URI). 비우면 설치본 고유값.</translation>
    </message>
    <message>
        <source>1 sends results without a patient; 0 holds them (the default).</source>
        <translation>1이면 환자 없는 결과도 보내고, 0이면 보류합니다(기본값).</translation>
    </message>
    <message>
        <source>the unit sent, whatever is shown: 0 % or mg/dL, 1 mmol/mol or mmol/L.</source>
        <translation>화면 단위와 관계없이 보내는 단위: 0 % 또는 mg/dL, 1 mmol/mol 또는 mmol/L.</translation>
    </message>
    <message>
        <source>results per FHIR Bundle (1 to 1000, 100 by default).</source>
        <translation>FHIR Bundle 하나에 담는 결과 수(1~1000, 기본 100).</translation>
    </message>
    <message>
        <source>PEM files for https: the site&apos;s CA, the program&apos;s certificate and its key.</source>
        <translation>https용 PEM 파일: 기관 CA, 프로그램 인증서와 그 키.</translation>
    </message>
    <message>
        <source>the FHIR server&apos;s access token; never shown.</source>
        <translation>FHIR 서버 접근 토큰. 표시되지 않습니다.</translation>
    </message>
    <message>
        <source>Queues every stored result that has not been queued yet and sends the pending ones to the laboratory system: over MLLP one message at a time, or to a FHIR server&apos;s base URL as transaction Bundles of up to 100 results; a result counts as sent only once the receiver has acknowledged it. Prints &quot;sent N, pending M&quot; and exits 1 while anything is left undelivered, and a line for each kind of correction when there are any. A sent result edited since goes again as a correction, under a new patient ID after a wrong-patient notice, and a deleted one as a deletion notice. Results the receiver refused stay held until --retry-held.</source>
        <translation>아직 대기열에 없는 저장 결과를 모두 대기열에 넣고, 대기 중인 결과를 검사실 시스템에 보냅니다. MLLP로는 한 번에 메시지 하나씩, FHIR 서버의 기본 URL로는 결과를 최대 100건씩 묶은 transaction Bundle로 보냅니다. 받는 쪽이 확인 응답을 보낸 결과만 보낸 것으로 칩니다. &quot;보냄 N, 대기 M&quot;을 보여 주며, 전달되지 않은 결과가 남아 있으면 1로 끝나며, 수정 메시지가 있으면 종류마다 한 줄씩 더 보여 줍니다. 보낸 뒤 수정된 결과는 수정으로, 환자ID가 바뀐 결과는 환자 오류 통보 뒤에 새 환자로, 삭제된 결과는 삭제 통보로 다시 보냅니다. 받는 쪽이 거부한 결과는 --retry-held를 줄 때까지 보류됩니다.</translation>
    </message>
    <message>
        <source>The last date of a --from search. With send, the destination mllp://HOST:PORT or a FHIR base URL http(s)://HOST/PATH, instead of the Destination setting.</source>
        <translation>--from 검색의 마지막 날짜. send에서는 Destination 설정 대신 쓸 보낼 곳 mllp://HOST:PORT 또는 FHIR 기본 URL http(s)://HOST/PATH.</translation>
    </message>
    <message>
        <source>Changes the patient details of the result ID (the first column of list --ids) as the window&apos;s Data Modify dialog does, with its checks, and records the change in the audit trail; a glucose result takes PID alone. A changed patient ID is remembered, so a later download does not store the meter&apos;s original again. The keys, in any case:</source>
        <translation>결과 ID(list --ids의 첫 열)의 환자 정보를 창의 데이터 수정 대화상자와 같이, 같은 검사를 거쳐 바꾸고 감사 기록에 남깁니다. 혈당 결과는 PID만 바꿀 수 있습니다. 바뀐 환자 ID는 기억되어, 나중의 다운로드가 측정기의 원래 결과를 다시 저장하지 않습니다. 키(대소문자 무관):</translation>
    </message>
    <message>
        <source>the patient ID, at most 15 bytes.</source>
        <translation>환자 ID, 최대 15바이트.</translation>
    </message>
    <message>
        <source>the patient&apos;s name, at most 15 bytes.</source>
        <translation>환자 이름, 최대 15바이트.</translation>
    </message>
    <message>
        <source>the birth date, YYYYMMDD.</source>
        <translation>생년월일, YYYYMMDD.</translation>
    </message>
    <message>
        <source>the diabetes type: none, type1, type2, gestational or normal (0 to 4), or empty for none chosen.</source>
        <translation>당뇨 유형: none, type1, type2, gestational, normal(0부터 4), 또는 선택 없음을 뜻하는 빈 값.</translation>
    </message>
    <message>
        <source>the remark, at most 99 bytes.</source>
        <translation>비고, 최대 99바이트.</translation>
    </message>
    <message>
        <source>Deletes the result ID of either kind as the window&apos;s list does, and records it in the audit trail. The deletion is remembered: a later download skips the result while the meter still holds it, and audit undelete ID puts it back.</source>
        <translation>결과 ID(두 종류 모두)를 창의 목록과 같이 삭제하고 감사 기록에 남깁니다. 삭제는 기억되어, 측정기에 결과가 남아 있어도 나중의 다운로드가 건너뛰며, audit undelete ID로 되돌려 놓을 수 있습니다.</translation>
    </message>
    <message>
        <source>Let list put each result&apos;s ID first, as modify and delete take it.</source>
        <translation>list가 각 결과의 ID를 modify와 delete가 받는 형태로 첫 열에 넣습니다.</translation>
    </message>
    <message>
        <source>Prints one line per patient ID among the stored results of one kind, in the order of the IDs: the ID, the number of results, the date of the newest result and that result, formatted by the operator&apos;s settings, then every name and birth date the records carry, and DISAGREE where they differ, separated by tabs. --patient takes a whole ID, ignoring case and surrounding blanks.</source>
        <translation>한 종류의 저장 결과에 있는 환자 ID마다 한 줄씩 ID 순서로 보여 줍니다: ID, 결과 수, 가장 최근 결과의 날짜와 그 결과를 사용자 설정의 형식으로, 이어서 기록에 있는 모든 이름과 생년월일을, 서로 다르면 불일치 표시(영어에서는 DISAGREE)와 함께 탭으로 나누어 보여 줍니다. 첫 줄은 머리글입니다. --patient에는 대소문자와 앞뒤 공백을 무시한 ID 전체를 적습니다.</translation>
    </message>
    <message>
        <source>Reads the data folder (or DIR) without changing it and reports file by file: whether each database is intact, which encoding the texts are in, columns and indexes a later version adds, operators&apos; files no listed operator owns, leftovers of interrupted operations, and permissions that are not owner-only. Exits 1 when it found something.</source>
        <translation>데이터 폴더(또는 DIR)를 바꾸지 않고 읽어 파일마다 알려 줍니다: 데이터베이스가 온전한지, 글자가 어느 인코딩인지, 이후 버전이 더하는 열과 색인, 목록에 없는 사용자의 파일, 중단된 작업이 남긴 파일, 소유자만 쓸 수 있지 않은 권한. 무엇인가 찾으면 1로 끝납니다.</translation>
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
