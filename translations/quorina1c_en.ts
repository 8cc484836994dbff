<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>AuditAction</name>
    <message>
        <source>Modify</source>
        <translation>Modify</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>Add user</source>
        <translation>Add user</translation>
    </message>
    <message>
        <source>Delete user</source>
        <translation>Delete user</translation>
    </message>
    <message>
        <source>Restore user</source>
        <translation>Restore user</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>Backup</source>
        <translation>Backup</translation>
    </message>
    <message>
        <source>Restore backup</source>
        <translation>Restore backup</translation>
    </message>
    <message>
        <source>Put back</source>
        <translation>Put back</translation>
    </message>
    <message>
        <source>File upgrade</source>
        <translation>File upgrade</translation>
    </message>
    <message>
        <source>Release to laboratory</source>
        <translation>Release to laboratory</translation>
    </message>
</context>
<context>
    <name>Message</name>
    <message>
        <source>오르보에이원씨</source>
        <translation>OrvoA1c</translation>
    </message>
    <message>
        <source>통신 포트 연결 실패.<byte value="xd"/>
포트 연결을 재 확인해 주세요.</source>
        <translation>Connecting to the communication port failed.<byte value="xd"/>
Please check the port connection again.</translation>
    </message>
    <message>
        <source>통신 포트 연결 실패.<byte value="xd"/>
포트 연결을 재 확인해 주세요.<byte value="xd"/>
<byte value="xd"/>
%1</source>
        <translation>Connecting to the communication port failed.<byte value="xd"/>
Please check the port connection again.<byte value="xd"/>
<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>%1 포트로 오르보에이원씨의 HbA1c 결과를 받겠습니까?</source>
        <translation>Receive the HbA1c results of the OrvoA1c through %1?</translation>
    </message>
    <message>
        <source>%1 포트로 오르보에이원씨의 혈당 결과를 받겠습니까?</source>
        <translation>Receive the glucose results of the OrvoA1c through %1?</translation>
    </message>
    <message>
        <source>데이터가 없습니다.</source>
        <translation>There is no data.</translation>
    </message>
    <message>
        <source>오르보에이원씨로부터 데이터가 전송이 되지 않고 있습니다.<byte value="xd"/>
오르보에이원씨와의 연결 포트를 다시 확인해 주세요.</source>
        <translation>No data is arriving from the OrvoA1c.<byte value="xd"/>
Please check the port connected to the OrvoA1c again.</translation>
    </message>
    <message>
        <source>새로운 데이터가 없습니다.</source>
        <translation>There is no new data.</translation>
    </message>
    <message>
        <source>Waiting....</source>
        <translation>Waiting...</translation>
    </message>
    <message>
        <source>모드 변경</source>
        <translation>Changing mode</translation>
    </message>
    <message>
        <source>데이터 전송이 시작됩니다.</source>
        <translation>The data transfer is starting.</translation>
    </message>
    <message>
        <source>모드 변경 명령.</source>
        <translation>Mode change command.</translation>
    </message>
    <message>
        <source>모드 변경 완료.</source>
        <translation>Mode change done.</translation>
    </message>
    <message>
        <source>명령 전달.</source>
        <translation>Command sent.</translation>
    </message>
    <message>
        <source>받는 중 ...***.</source>
        <translation>Receiving ...***.</translation>
    </message>
    <message>
        <source>받는 중 ..*.</source>
        <translation>Receiving ..*.</translation>
    </message>
    <message>
        <source>Error count : %1</source>
        <translation>Errors: %1</translation>
    </message>
    <message>
        <source>Error. cyclic redundancy check : Fail.</source>
        <translation>Error: the data failed its check (CRC).</translation>
    </message>
    <message>
        <source>Error. the received results are not of the selected kind.</source>
        <translation>Error: the received results are not of the selected kind.</translation>
    </message>
    <message>
        <source>데이터 받는중 ...***.</source>
        <translation>Receiving data ...***.</translation>
    </message>
    <message>
        <source>데이터 받는중 ...*.</source>
        <translation>Receiving data ...*.</translation>
    </message>
    <message>
        <source>데이터 검사 완료</source>
        <translation>Data check done</translation>
    </message>
    <message>
        <source>Error. the results could not be saved : %1.</source>
        <translation>Error: the results could not be saved: %1.</translation>
    </message>
    <message>
        <source>Error. the results could not be saved : %1. The meter&apos;s results were not erased.</source>
        <translation>Error: the results could not be saved: %1. The meter&apos;s results were not erased.</translation>
    </message>
    <message>
        <source>새로운 사용자를 추가하시겠습니까?<byte value="xd"/>
추가한 사용자가 현재 사용자가 됩니다.</source>
        <translation>Add a new user?<byte value="xd"/>
The new user becomes the current user.</translation>
    </message>
    <message>
        <source>The user ID is not entered. <byte value="xd"/>
Please enter the user ID.</source>
        <translation>The user ID is not entered. <byte value="xd"/>
Please enter the user ID.</translation>
    </message>
    <message>
        <source>같은 사용자ID가 ㅈ있습니다.다시 입력해 주세요.</source>
        <translation>This user ID already exists. Please enter another one.</translation>
    </message>
    <message>
        <source>현재 사용자 데이터를 삭제하시겠습니까?</source>
        <translation>Delete the current user&apos;s data?</translation>
    </message>
    <message>
        <source>기본 사용자는 삭제할 수 없습니다.</source>
        <translation>The default user cannot be deleted.</translation>
    </message>
    <message>
        <source>사용자 데이터가 삭제되었습니다.</source>
        <translation>The user&apos;s data was deleted.</translation>
    </message>
    <message>
        <source>The user ID must not contain / \ [ ] = ; or control characters.<byte value="xd"/>
Please enter another user ID.</source>
        <translation>The user ID must not contain / \ [ ] = ; or control characters.<byte value="xd"/>
Please enter another user ID.</translation>
    </message>
    <message>
        <source>The user ID must not begin or end with a blank.<byte value="xd"/>
Please enter another user ID.</source>
        <translation>The user ID must not begin or end with a blank.<byte value="xd"/>
Please enter another user ID.</translation>
    </message>
    <message>
        <source>The user ID is longer than 64 bytes.<byte value="xd"/>
Please enter a shorter user ID.</source>
        <translation>The user ID is longer than 64 bytes.<byte value="xd"/>
Please enter a shorter user ID.</translation>
    </message>
    <message>
        <source>The user ID is not valid text.<byte value="xd"/>
Please enter another user ID.</source>
        <translation>The user ID is not valid text.<byte value="xd"/>
Please enter another user ID.</translation>
    </message>
    <message>
        <source>This user ID would name one of the program&apos;s own files.<byte value="xd"/>
Please enter another user ID.</source>
        <translation>This user ID would name one of the program&apos;s own files.<byte value="xd"/>
Please enter another user ID.</translation>
    </message>
    <message>
        <source>On this disk the user ID names the same files as an existing user ID that differs only in upper and lower case.<byte value="xd"/>
Please enter another user ID.</source>
        <translation>On this disk the user ID names the same files as an existing user ID that differs only in upper and lower case.<byte value="xd"/>
Please enter another user ID.</translation>
    </message>
    <message>
        <source>The user ID is not in the user list.</source>
        <translation>The user ID is not in the user list.</translation>
    </message>
    <message>
        <source>The user ID in the user file cannot be used as part of a file name.</source>
        <translation>The user ID in the user file cannot be used as part of a file name.</translation>
    </message>
    <message>
        <source>The files of the current user were not found. Nothing was deleted.</source>
        <translation>The files of the current user were not found. Nothing was deleted.</translation>
    </message>
    <message>
        <source>The files of the current user could not be deleted. Nothing was changed.</source>
        <translation>The files of the current user could not be deleted. Nothing was changed.</translation>
    </message>
    <message>
        <source>The user was removed from the user list, but these files could not be deleted:<byte value="xd"/>
%1</source>
        <translation>The user was removed from the user list, but these files could not be deleted:<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>This file could not be written:<byte value="xd"/>
%1</source>
        <translation>This file could not be written:<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>The database or settings files of the current user could not be opened or created in:<byte value="xd"/>
%1</source>
        <translation>The database or settings files of the current user could not be opened or created in:<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>This database file is damaged. It was left as it is; restore it from a backup:<byte value="xd"/>
%1</source>
        <translation>This database file is damaged. It was left as it is; restore it from a backup:<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>The user was not added. This file could not be written:<byte value="xd"/>
%1</source>
        <translation>The user was not added. This file could not be written:<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>The current user &quot;%1&quot; is not in the user list.<byte value="xd"/>
The files of &quot;%2&quot; are used instead.</source>
        <translation>The current user &quot;%1&quot; is not in the user list.<byte value="xd"/>
The files of &quot;%2&quot; are used instead.</translation>
    </message>
    <message>
        <source>검색기간 설정이 잘못되었습니다. <byte value="xd"/>
다시 날짜 설정해 주세요.</source>
        <translation>The search period is not valid. <byte value="xd"/>
Please set the dates again.</translation>
    </message>
    <message>
        <source>최대 365일 데이터를 검색할 수 있습니다. <byte value="xd"/>
다시 날짜 설정해 주세요.</source>
        <translation>At most 365 days of data can be searched. <byte value="xd"/>
Please set the dates again.</translation>
    </message>
    <message>
        <source>환자ID 입력 범위를 초과하였습니다.
다시 입력해 주세요.(Max 15)</source>
        <translation>The patient ID is too long.
Please enter it again. (Max 15)</translation>
    </message>
    <message>
        <source>환자 이름 입력 범위를 초과하였습니다.
다시 입력해 주세요.(Max 15)</source>
        <translation>The patient name is too long.
Please enter it again. (Max 15)</translation>
    </message>
    <message>
        <source>입력 범위를 초과하였습니다.
다시 입력해 주세요.(Max 100)</source>
        <translation>The text is too long.
Please enter it again. (Max 100)</translation>
    </message>
    <message>
        <source>오르보에이원씨로부터 데이터가 전송이 되지 않고 있습니다.<byte value="xd"/>
오르보에이원씨와의 연결 포트를 다시 확인해 주세요.<byte value="xd"/>
<byte value="xd"/>
%1</source>
        <translation>No data is arriving from the OrvoA1c.<byte value="xd"/>
Please check the port connected to the OrvoA1c again.<byte value="xd"/>
<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>unknown setting %1</source>
        <translation>unknown setting %1</translation>
    </message>
    <message>
        <source>%1 takes 0 (%) or 1 (mmol/mol), not &quot;%2&quot;</source>
        <translation>%1 takes 0 (%) or 1 (mmol/mol), not &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1 takes 0 (mg/dL) or 1 (mmol/L), not &quot;%2&quot;</source>
        <translation>%1 takes 0 (mg/dL) or 1 (mmol/L), not &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1 takes 0 (yyyy/MM/dd), 1 (MM/dd/yyyy) or 2 (dd/MM/yyyy), not &quot;%2&quot;</source>
        <translation>%1 takes 0 (yyyy/MM/dd), 1 (MM/dd/yyyy) or 2 (dd/MM/yyyy), not &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1 takes 0 (12 hours) or 1 (24 hours), not &quot;%2&quot;</source>
        <translation>%1 takes 0 (12 hours) or 1 (24 hours), not &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1 takes 0 (Korean) or 1 (English), not &quot;%2&quot;</source>
        <translation>%1 takes 0 (Korean) or 1 (English), not &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1 takes 0 (off) or 1 (on), not &quot;%2&quot;</source>
        <translation>%1 takes 0 (off) or 1 (on), not &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1 takes a number such as 6.7, not &quot;%2&quot;</source>
        <translation>%1 takes a number such as 6.7, not &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1 takes a number from %2 to %3, not &quot;%4&quot;</source>
        <translation>%1 takes a number from %2 to %3, not &quot;%4&quot;</translation>
    </message>
    <message>
        <source>%1 is too long: at most %2 bytes (a Hangul syllable takes 2), this one takes %3</source>
        <translation>%1 is too long: at most %2 bytes (a Hangul syllable takes 2), this one takes %3</translation>
    </message>
    <message>
        <source>%1 takes a number of seconds from 1 to %2, not &quot;%3&quot;</source>
        <translation>%1 takes a number of seconds from 1 to %2, not &quot;%3&quot;</translation>
    </message>
    <message>
        <source>%1 takes a URI such as urn:oid:1.2.3 or https://host/ids, not &quot;%2&quot;</source>
        <translation>%1 takes a URI such as urn:oid:1.2.3 or https://host/ids, not &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1 takes an OID or a name without | ^ ~ \ &amp;, not &quot;%2&quot;</source>
        <translation>%1 takes an OID or a name without | ^ ~ \ &amp;, not &quot;%2&quot;</translation>
    </message>
    <message>
        <source>No result has the ID %1.</source>
        <translation>There is no result with the ID %1.</translation>
    </message>
    <message>
        <source>The result %1 is stored already.</source>
        <translation>The result %1 is already stored.</translation>
    </message>
    <message>
        <source>%1 skipped: deleted</source>
        <translation>%1 skipped: deleted</translation>
    </message>
    <message>
        <source>%1 skipped: corrected</source>
        <translation>%1 skipped: corrected</translation>
    </message>
    <message>
        <source>사용자 &quot;%1&quot;을(를) 삭제하시겠습니까?<byte value="xd"/>
HbA1c 결과 %2개와 혈당 결과 %3개, 설정이 목록에서 사라집니다.<byte value="xd"/>
파일은 데이터 폴더 안에 보관되며 되돌릴 수 있습니다.</source>
        <translation>Delete the user &quot;%1&quot;?<byte value="xd"/>
%2 HbA1c results, %3 glucose results and the settings leave the list.<byte value="xd"/>
The files are kept inside the data folder and can be brought back.</translation>
    </message>
    <message>
        <source>사용자 &quot;%1&quot;이(가) 삭제되었습니다.<byte value="xd"/>
파일은 다음 폴더에 보관됩니다: %2</source>
        <translation>The user &quot;%1&quot; was deleted.<byte value="xd"/>
Its files are kept in: %2</translation>
    </message>
    <message>
        <source>삭제된 사용자 &quot;%1&quot;의 보관된 파일이 없습니다.</source>
        <translation>There are no kept files of a deleted user &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>같은 이름의 파일이 있어 사용자를 되돌릴 수 없습니다: %1</source>
        <translation>The user cannot be brought back: a file of the same name is in the way: %1</translation>
    </message>
    <message>
        <source>사용자 &quot;%1&quot;을(를) 되돌렸습니다.</source>
        <translation>The user &quot;%1&quot; was brought back.</translation>
    </message>
    <message>
        <source>감사 기록에 쓸 수 없어 변경하지 않았습니다: %1</source>
        <translation>Nothing was changed: the audit log cannot be written: %1</translation>
    </message>
    <message>
        <source>%1 must be lower than %2</source>
        <translation>%1 must be lower than %2</translation>
    </message>
    <message>
        <source>%1: in order (%2)</source>
        <translation>%1: in order (%2)</translation>
    </message>
    <message>
        <source>%1: damaged: %2</source>
        <translation>%1: damaged: %2</translation>
    </message>
    <message>
        <source>%1: holds text that is neither UTF-8 nor code page 949</source>
        <translation>%1: holds text that is neither UTF-8 nor code page 949</translation>
    </message>
    <message>
        <source>%1: lacks the columns %2 (added by the next writable open)</source>
        <translation>%1: lacks the columns %2 (added by the next writable open)</translation>
    </message>
    <message>
        <source>%1: lacks the indexes %2 (added by the next writable open)</source>
        <translation>%1: lacks the indexes %2 (added by the next writable open)</translation>
    </message>
    <message>
        <source>%1: holds no result table</source>
        <translation>%1: holds no result table</translation>
    </message>
    <message>
        <source>%1: belongs to no listed operator</source>
        <translation>%1: belongs to no listed operator</translation>
    </message>
    <message>
        <source>%1: left over from an operation that stopped half-way</source>
        <translation>%1: left over from an operation that stopped half-way</translation>
    </message>
    <message>
        <source>%1: the journal of an interrupted write, played back by the next writable open</source>
        <translation>%1: the journal of an interrupted write, played back by the next writable open</translation>
    </message>
    <message>
        <source>%1: open to others than its owner (mode %2)</source>
        <translation>%1: open to others than its owner (mode %2)</translation>
    </message>
    <message>
        <source>%1: cannot be read: %2</source>
        <translation>%1: cannot be read: %2</translation>
    </message>
    <message>
        <source>%1 이 연결되었습니다.</source>
        <translation>Connected to the OrvoA1c on %1.</translation>
    </message>
    <message>
        <source>오르보에이원씨의 응답을 기다리는 중.</source>
        <translation>Waiting for the OrvoA1c to answer.</translation>
    </message>
    <message>
        <source>%1 포트에서 응답하는 오르보에이원씨가 없습니다.<byte value="xd"/>
오르보에이원씨가 켜져 있고 이 포트에 연결되어 있는지 확인한 뒤 다시 시도를 누르십시오.</source>
        <translation>No OrvoA1c answers on %1.<byte value="xd"/>
Check that the meter is switched on and connected to this port, then press Retry.</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1: the file is read-only</source>
        <translation>%1: the file is read-only</translation>
    </message>
    <message>
        <source>%1: cannot be written</source>
        <translation>%1: cannot be written</translation>
    </message>
    <message>
        <source>%1 HbA1c results to %2</source>
        <translation>%1 HbA1c result(s) to %2</translation>
    </message>
    <message>
        <source>%1 glucose results to %2</source>
        <translation>%1 glucose result(s) to %2</translation>
    </message>
    <message>
        <source>%1 HbA1c results to the printer %2</source>
        <translation>%1 HbA1c result(s) to the printer %2</translation>
    </message>
    <message>
        <source>%1 glucose results to the printer %2</source>
        <translation>%1 glucose result(s) to the printer %2</translation>
    </message>
    <message>
        <source>patient report of %1 HbA1c and %2 glucose results to %3</source>
        <translation>Patient report of %1 HbA1c and %2 glucose result(s) to %3</translation>
    </message>
    <message>
        <source>patient report of %1 HbA1c and %2 glucose results to the printer %3</source>
        <translation>Patient report of %1 HbA1c and %2 glucose result(s) to the printer %3</translation>
    </message>
    <message>
        <source>%1 files to %2</source>
        <translation>%1 file(s) to %2</translation>
    </message>
    <message>
        <source>from %1; the replaced folder is %2</source>
        <translation>From %1; the replaced folder is kept as %2</translation>
    </message>
    <message>
        <source>user %1</source>
        <translation>User %1</translation>
    </message>
    <message>
        <source>user %1: %2 HbA1c and %3 glucose results; files kept in %4</source>
        <translation>User %1: %2 HbA1c and %3 glucose result(s); files kept in %4</translation>
    </message>
    <message>
        <source>user %1: files brought back from %2</source>
        <translation>User %1: files brought back from %2</translation>
    </message>
    <message>
        <source>%1: not a file name</source>
        <translation>%1: not a file name</translation>
    </message>
    <message>
        <source>%1: exists and is not a regular file; nothing was written</source>
        <translation>%1: exists and is not a regular file; nothing was written</translation>
    </message>
    <message>
        <source>%1: is inside the data folder %2; choose another place</source>
        <translation>%1: is inside the data folder %2; choose another place</translation>
    </message>
    <message>
        <source>%1: holds no UUID</source>
        <translation>%1: holds no UUID</translation>
    </message>
    <message>
        <source>%1: the copy could not be read back</source>
        <translation>%1: the copy could not be read back</translation>
    </message>
    <message>
        <source>%1: the manifest does not start with &quot;%2&quot;</source>
        <translation>%1: the manifest does not start with &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1: the manifest has a line it does not explain: %2</source>
        <translation>%1: the manifest has a line it does not explain: %2</translation>
    </message>
    <message>
        <source>%1: the manifest names a file that cannot be restored: %2</source>
        <translation>%1: the manifest names a file that cannot be restored: %2</translation>
    </message>
    <message>
        <source>%1: not a backup archive (no tar header)</source>
        <translation>%1: not a backup archive (no tar header)</translation>
    </message>
    <message>
        <source>%1: a member header is damaged</source>
        <translation>%1: a member header is damaged</translation>
    </message>
    <message>
        <source>%1: a member is not a plain file</source>
        <translation>%1: a member is not a plain file</translation>
    </message>
    <message>
        <source>%1: a member has a path, not a plain file name</source>
        <translation>%1: a member has a path, not a plain file name</translation>
    </message>
    <message>
        <source>%1: a member follows the manifest</source>
        <translation>%1: a member follows the manifest</translation>
    </message>
    <message>
        <source>%1: a member name cannot be restored: %2</source>
        <translation>%1: a member name cannot be restored: %2</translation>
    </message>
    <message>
        <source>%1: the manifest is too large</source>
        <translation>%1: the manifest is too large</translation>
    </message>
    <message>
        <source>%1: %2: %3</source>
        <translation>%1: %2: %3</translation>
    </message>
    <message>
        <source>%1: a member is cut short or cannot be unpacked: %2</source>
        <translation>%1: a member is cut short or cannot be unpacked: %2</translation>
    </message>
    <message>
        <source>%1: the archive is cut short</source>
        <translation>%1: the archive is cut short</translation>
    </message>
    <message>
        <source>%1: the archive has no manifest</source>
        <translation>%1: the archive has no manifest</translation>
    </message>
    <message>
        <source>%1: the archive lacks %2</source>
        <translation>%1: the archive lacks %2</translation>
    </message>
    <message>
        <source>%1: the checksum of %2 does not match</source>
        <translation>%1: the checksum of %2 does not match</translation>
    </message>
    <message>
        <source>%1: the database %2 is damaged</source>
        <translation>%1: the database %2 is damaged</translation>
    </message>
    <message>
        <source>%1: the database %2 is damaged (%3)</source>
        <translation>%1: the database %2 is damaged (%3)</translation>
    </message>
    <message>
        <source>%1: the manifest does not list %2</source>
        <translation>%1: the manifest does not list %2</translation>
    </message>
    <message>
        <source>%1: a backup cannot be written inside the data folder</source>
        <translation>%1: a backup cannot be written inside the data folder</translation>
    </message>
    <message>
        <source>%1: exists and is not a regular file</source>
        <translation>%1: exists and is not a regular file</translation>
    </message>
    <message>
        <source>%1: this file name cannot be stored in a backup</source>
        <translation>%1: this file name cannot be stored in a backup</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>stopped</translation>
    </message>
    <message>
        <source>%1: cannot be moved aside: %2</source>
        <translation>%1: cannot be moved aside: %2</translation>
    </message>
    <message>
        <source>The table is not open.</source>
        <translation>The table is not open.</translation>
    </message>
    <message>
        <source>%1: a new result is still being stored</source>
        <translation>%1: a new result is still being stored</translation>
    </message>
    <message>
        <source>%1: the table has no such field or row</source>
        <translation>%1: the table has no such field or row</translation>
    </message>
    <message>
        <source>Not a usable table name: %1</source>
        <translation>Not a usable table name: %1</translation>
    </message>
    <message>
        <source>%1: opened read-only, so it is not changed</source>
        <translation>%1: opened read-only, so it is not changed</translation>
    </message>
    <message>
        <source>The result of %1 %2 with the value %3 is no longer stored; it may have been changed or deleted meanwhile.</source>
        <translation>The result of %1 %2 with the value %3 is no longer stored; it may have been changed or deleted meanwhile.</translation>
    </message>
    <message>
        <source>result %1 %2 %3: %4</source>
        <translation>result %1 %2 %3: %4</translation>
    </message>
    <message>
        <source>HbA1c result: %1</source>
        <translation>HbA1c result: %1</translation>
    </message>
    <message>
        <source>glucose result: %1</source>
        <translation>glucose result: %1</translation>
    </message>
    <message>
        <source>HbA1c: %1</source>
        <translation>HbA1c: %1</translation>
    </message>
    <message>
        <source>glucose: %1</source>
        <translation>glucose: %1</translation>
    </message>
    <message>
        <source>HbA1c result %1 put back: date &quot;%2&quot;, time &quot;%3&quot;, value &quot;%4&quot;, patient ID &quot;%5&quot;%6</source>
        <translation>HbA1c result %1 put back: date &quot;%2&quot;, time &quot;%3&quot;, value &quot;%4&quot;, patient ID &quot;%5&quot;%6</translation>
    </message>
    <message>
        <source>glucose result %1 put back: date &quot;%2&quot;, time &quot;%3&quot;, value &quot;%4&quot;, patient ID &quot;%5&quot;%6</source>
        <translation>glucose result %1 put back: date &quot;%2&quot;, time &quot;%3&quot;, value &quot;%4&quot;, patient ID &quot;%5&quot;%6</translation>
    </message>
    <message>
        <source>result %1 %2 %3: held for want of a patient, released to the laboratory under %4; result ID %5</source>
        <translation>result %1 %2 %3: held for want of a patient, released to the laboratory under %4; result ID %5</translation>
    </message>
    <message>
        <source>date &quot;%1&quot;</source>
        <translation>date &quot;%1&quot;</translation>
    </message>
    <message>
        <source>time &quot;%1&quot;</source>
        <translation>time &quot;%1&quot;</translation>
    </message>
    <message>
        <source>value &quot;%1&quot;</source>
        <translation>value &quot;%1&quot;</translation>
    </message>
    <message>
        <source>patient ID &quot;%1&quot;</source>
        <translation>patient ID &quot;%1&quot;</translation>
    </message>
    <message>
        <source>operator ID &quot;%1&quot;</source>
        <translation>operator ID &quot;%1&quot;</translation>
    </message>
    <message>
        <source>name &quot;%1&quot;</source>
        <translation>name &quot;%1&quot;</translation>
    </message>
    <message>
        <source>birthday &quot;%1&quot;</source>
        <translation>birthday &quot;%1&quot;</translation>
    </message>
    <message>
        <source>diagnosis %1</source>
        <translation>diagnosis %1</translation>
    </message>
    <message>
        <source>memo &quot;%1&quot;</source>
        <translation>memo &quot;%1&quot;</translation>
    </message>
    <message>
        <source>result ID %1</source>
        <translation>result ID %1</translation>
    </message>
    <message>
        <source>name: &quot;%1&quot; -&gt; &quot;%2&quot;</source>
        <translation>name: &quot;%1&quot; -&gt; &quot;%2&quot;</translation>
    </message>
    <message>
        <source>patient ID: &quot;%1&quot; -&gt; &quot;%2&quot;</source>
        <translation>patient ID: &quot;%1&quot; -&gt; &quot;%2&quot;</translation>
    </message>
    <message>
        <source>birthday: &quot;%1&quot; -&gt; &quot;%2&quot;</source>
        <translation>birthday: &quot;%1&quot; -&gt; &quot;%2&quot;</translation>
    </message>
    <message>
        <source>diagnosis: &quot;%1&quot; -&gt; &quot;%2&quot;</source>
        <translation>diagnosis: &quot;%1&quot; -&gt; &quot;%2&quot;</translation>
    </message>
    <message>
        <source>memo: &quot;%1&quot; -&gt; &quot;%2&quot;</source>
        <translation>memo: &quot;%1&quot; -&gt; &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1 received, %2 new</source>
        <translation>%1 received, %2 new</translation>
    </message>
    <message>
        <source>%1 skipped as deleted</source>
        <translation>%1 skipped as deleted</translation>
    </message>
    <message>
        <source>%1 skipped as corrected</source>
        <translation>%1 skipped as corrected</translation>
    </message>
    <message>
        <source>meter with %1-byte records</source>
        <translation>meter with %1-byte records</translation>
    </message>
    <message>
        <source>port %1</source>
        <translation>port %1</translation>
    </message>
    <message>
        <source>port unknown</source>
        <translation>port unknown</translation>
    </message>
    <message>
        <source>meter erased</source>
        <translation>meter erased</translation>
    </message>
    <message>
        <source>The delivery file %1 cannot be used: %2</source>
        <translation>The delivery file %1 cannot be used: %2</translation>
    </message>
    <message>
        <source>The delivery file %1 cannot be written: %2</source>
        <translation>The delivery file %1 cannot be written: %2</translation>
    </message>
    <message>
        <source>The delivery file %1 has no unsent entry %2.</source>
        <translation>The delivery file %1 has no unsent entry %2.</translation>
    </message>
    <message>
        <source>The receiver&apos;s host %1 cannot be found: %2</source>
        <translation>The receiver&apos;s host %1 cannot be found: %2</translation>
    </message>
    <message>
        <source>The receiver %1 cannot be reached: %2</source>
        <translation>The receiver %1 cannot be reached: %2</translation>
    </message>
    <message>
        <source>The receiver %1 did not take the connection within the time-out.</source>
        <translation>The receiver %1 did not take the connection within the time-out.</translation>
    </message>
    <message>
        <source>The connection to %1 was lost while sending.</source>
        <translation>The connection to %1 was lost while sending.</translation>
    </message>
    <message>
        <source>No TLS library is at hand for %1.</source>
        <translation>No TLS library is at hand for %1.</translation>
    </message>
    <message>
        <source>A TLS connection to %1 cannot be made: %2</source>
        <translation>A TLS connection to %1 cannot be made: %2</translation>
    </message>
    <message>
        <source>The answer of %1 is not an acknowledgement.</source>
        <translation>The answer of %1 is not an acknowledgement.</translation>
    </message>
    <message>
        <source>The acknowledgement of %1 has an unknown code: %2</source>
        <translation>The acknowledgement of %1 has an unknown code: %2</translation>
    </message>
    <message>
        <source>No acknowledgement came from %1 within the time-out.</source>
        <translation>No acknowledgement came from %1 within the time-out.</translation>
    </message>
    <message>
        <source>%1 closed the connection without an acknowledgement.</source>
        <translation>%1 closed the connection without an acknowledgement.</translation>
    </message>
    <message>
        <source>The CA file holds no certificate: %1</source>
        <translation>The CA file holds no certificate: %1</translation>
    </message>
    <message>
        <source>The client certificate or its key cannot be read: %1</source>
        <translation>The client certificate or its key cannot be read: %1</translation>
    </message>
    <message>
        <source>The client key cannot be read: %1</source>
        <translation>The client key cannot be read: %1</translation>
    </message>
    <message>
        <source>Nothing runs the network for %1.</source>
        <translation>Nothing runs the network for %1.</translation>
    </message>
    <message>
        <source>The FHIR base URL cannot be used: %1</source>
        <translation>The FHIR base URL cannot be used: %1</translation>
    </message>
    <message>
        <source>The FHIR server %1 cannot be reached: %2</source>
        <translation>The FHIR server %1 cannot be reached: %2</translation>
    </message>
    <message>
        <source>No answer came from the FHIR server %1 within the time-out.</source>
        <translation>No answer came from the FHIR server %1 within the time-out.</translation>
    </message>
    <message>
        <source>The FHIR server answered HTTP %1.</source>
        <translation>The FHIR server answered HTTP %1.</translation>
    </message>
    <message>
        <source>The FHIR server answered HTTP %1: %2</source>
        <translation>The FHIR server answered HTTP %1: %2</translation>
    </message>
    <message>
        <source>The FHIR server&apos;s answer is not a transaction-response Bundle.</source>
        <translation>The FHIR server&apos;s answer is not a transaction-response Bundle.</translation>
    </message>
    <message>
        <source>The FHIR server&apos;s answer holds %1 entries for the %2 sent.</source>
        <translation>The FHIR server&apos;s answer holds %1 entries for the %2 sent.</translation>
    </message>
    <message>
        <source>The FHIR server&apos;s answer left %1 results without an outcome; they stay pending.</source>
        <translation>The FHIR server&apos;s answer left %1 results without an outcome; they stay pending.</translation>
    </message>
    <message>
        <source>The run&apos;s time limit was reached; the rest goes with the next run.</source>
        <translation>The run&apos;s time limit was reached; the rest goes with the next run.</translation>
    </message>
    <message>
        <source>%1 results were queued without their stored result; they go once they are queued again.</source>
        <translation>%1 results were queued without their stored result; they go once they are queued again.</translation>
    </message>
    <message>
        <source>The results of %1 cannot be opened: the table&apos;s name was refused.</source>
        <translation>The results of %1 cannot be opened: the table&apos;s name was refused.</translation>
    </message>
    <message>
        <source>The results of %1 cannot be read: %2</source>
        <translation>The results of %1 cannot be read: %2</translation>
    </message>
    <message>
        <source>Whether result %1 was deleted cannot be read; nothing was queued.</source>
        <translation>Whether result %1 was deleted cannot be read; nothing was queued.</translation>
    </message>
    <message>
        <source>No TLS client is at hand to send to %1.</source>
        <translation>No TLS client is at hand to send to %1.</translation>
    </message>
    <message>
        <source>No FHIR client is at hand to send to %1.</source>
        <translation>No FHIR client is at hand to send to %1.</translation>
    </message>
    <message>
        <source>The destination is neither mllp(s)://host:port nor a FHIR base URL http(s)://host/path: %1</source>
        <translation>The destination is neither mllp(s)://host:port nor a FHIR base URL http(s)://host/path: %1</translation>
    </message>
    <message>
        <source>The results for the message file cannot be read.</source>
        <translation>The results for the message file cannot be read.</translation>
    </message>
    <message>
        <source>The message file cannot be written.</source>
        <translation>The message file cannot be written.</translation>
    </message>
    <message>
        <source>%1: %2 holds a line break or a character that would break the file; nothing was written</source>
        <translation>%1: %2 holds a line break or a character that would break the file; nothing was written</translation>
    </message>
</context>
<context>
    <name>PatientReport</name>
    <message>
        <source>Glucose</source>
        <translation>Glucose</translation>
    </message>
    <message>
        <source>No.</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>Memo</source>
        <translation>Memo</translation>
    </message>
    <message>
        <source>QuorinA1c Patient Report</source>
        <translation>QuorinA1c Patient Report</translation>
    </message>
    <message>
        <source>Patient: %1</source>
        <translation>Patient: %1</translation>
    </message>
    <message>
        <source>Patient Report.</source>
        <translation>Patient report</translation>
    </message>
    <message>
        <source>No results.</source>
        <translation>No results.</translation>
    </message>
    <message>
        <source>Results: %1, from %2 to %3</source>
        <translation>Results: %1, from %2 to %3</translation>
    </message>
    <message>
        <source>Last result: %1 on %2</source>
        <translation>Last result: %1 on %2</translation>
    </message>
    <message>
        <source>Change since the previous result: %1</source>
        <translation>Change since the previous result: %1</translation>
    </message>
    <message>
        <source>Mean of the last 12 months: %1 (n = %2)</source>
        <translation>Mean of the last 12 months: %1 (n = %2)</translation>
    </message>
    <message>
        <source>%1 (1 result)</source>
        <translation>%1 (1 result)</translation>
    </message>
    <message>
        <source>%1 (%2 results)</source>
        <translation>%1 (%2 results)</translation>
    </message>
    <message>
        <source>Warning: the records of this patient disagree. Check them before relying on these results.</source>
        <translation>Warning: the records of this patient disagree. Check them before relying on these results.</translation>
    </message>
    <message>
        <source>Names on the records: %1</source>
        <translation>Names on the records: %1</translation>
    </message>
    <message>
        <source>Birth dates on the records: %1</source>
        <translation>Birth dates on the records: %1</translation>
    </message>
</context>
<context>
    <name>ReportHeader</name>
    <message>
        <source>Result kind: %1</source>
        <translation>Result kind: %1</translation>
    </message>
    <message>
        <source>Glucose</source>
        <translation>Glucose</translation>
    </message>
    <message>
        <source>Clinic: %1</source>
        <translation>Clinic: %1</translation>
    </message>
    <message>
        <source>Operator: %1</source>
        <translation>Operator: %1</translation>
    </message>
    <message>
        <source>Period: %1</source>
        <translation>Period: %1</translation>
    </message>
    <message>
        <source>All results</source>
        <translation>All results</translation>
    </message>
</context>
<context>
    <name>qa::AboutDialog</name>
    <message>
        <source>About QuorinA1c Self Comm</source>
        <translation>About QuorinA1c Self Comm</translation>
    </message>
    <message>
        <source>Windows Communication Program</source>
        <translation>Windows Communication Program</translation>
    </message>
    <message>
        <source>  Windows All for One       Version  1.00</source>
        <translation>  Windows All for One       Version  1.00</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>qa::AddUserDialog</name>
    <message>
        <source>Add user </source>
        <translation>Add user </translation>
    </message>
    <message>
        <source>추가</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>사용자ID</source>
        <translation>User ID</translation>
    </message>
</context>
<context>
    <name>qa::AllDataPage</name>
    <message>
        <source>ALL Data</source>
        <translation>ALL Data</translation>
    </message>
    <message>
        <source>사용자ID</source>
        <translation>User ID</translation>
    </message>
    <message>
        <source>검색</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>프린트</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>내보내기</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>PID</source>
        <translation>Patient ID</translation>
    </message>
    <message>
        <source>Patient ID</source>
        <translation>Patient ID</translation>
    </message>
    <message>
        <source>HbA1c</source>
        <translation>HbA1c</translation>
    </message>
    <message>
        <source>Glucose</source>
        <translation>Glucose</translation>
    </message>
    <message>
        <source>Date: %1   Time: %2<byte value="xd"/>
Result: %3</source>
        <translation>Date: %1   Time: %2<byte value="xd"/>
Result: %3</translation>
    </message>
    <message>
        <source>Patient ID: %1</source>
        <translation>Patient ID: %1</translation>
    </message>
    <message>
        <source>ALL</source>
        <translation>ALL</translation>
    </message>
    <message>
        <source>1 week</source>
        <translation>1 week</translation>
    </message>
    <message>
        <source>%1 weeks</source>
        <translation>%1 weeks</translation>
    </message>
    <message>
        <source>The data folder is on read-only media: %1<byte value="xd"/>
Results can be viewed, printed and exported here, but not changed or deleted.</source>
        <translation>The data folder is on read-only media: %1<byte value="xd"/>
Results can be viewed, printed and exported here, but not changed or deleted.</translation>
    </message>
    <message>
        <source>Modifly Data</source>
        <translation>Modify Data</translation>
    </message>
    <message>
        <source>Access the data</source>
        <translation>View Data</translation>
    </message>
    <message>
        <source>선택한 데이터를 삭제하시겠습니까?</source>
        <translation>Delete the selected data?</translation>
    </message>
    <message>
        <source>The selected data could not be deleted.<byte value="xd"/>
The list is unchanged.</source>
        <translation>The selected data could not be deleted.<byte value="xd"/>
The list is unchanged.</translation>
    </message>
    <message>
        <source>The change could not be written.<byte value="xd"/>
The record may have been deleted meanwhile.</source>
        <translation>The change could not be written.<byte value="xd"/>
The record may have been deleted meanwhile.</translation>
    </message>
    <message>
        <source>The list could not be printed: no printer is available, or the document could not be written.</source>
        <translation>The list could not be printed: no printer is available, or the document could not be written.</translation>
    </message>
    <message>
        <source>Patient history</source>
        <translation>Patient history</translation>
    </message>
    <message>
        <source>Result kind: %1</source>
        <translation>Result kind: %1</translation>
    </message>
    <message>
        <source>Search: %1</source>
        <translation>Search: %1</translation>
    </message>
    <message>
        <source>Search patient ID or name</source>
        <translation>Search patient ID or name</translation>
    </message>
    <message>
        <source>1 result</source>
        <translation>1 result</translation>
    </message>
    <message>
        <source>%1 results</source>
        <translation>%1 results</translation>
    </message>
    <message>
        <source>sent</source>
        <translation>sent</translation>
    </message>
    <message>
        <source>held</source>
        <translation>held</translation>
    </message>
    <message>
        <source>pending</source>
        <translation>pending</translation>
    </message>
    <message>
        <source>sent (corrected)</source>
        <translation>sent (corrected)</translation>
    </message>
    <message>
        <source>correction held</source>
        <translation>correction held</translation>
    </message>
    <message>
        <source>correction pending</source>
        <translation>correction pending</translation>
    </message>
    <message>
        <source>wrong-patient notice sent</source>
        <translation>wrong-patient notice sent</translation>
    </message>
    <message>
        <source>wrong-patient notice held</source>
        <translation>wrong-patient notice held</translation>
    </message>
    <message>
        <source>wrong-patient notice pending</source>
        <translation>wrong-patient notice pending</translation>
    </message>
    <message>
        <source>deletion sent</source>
        <translation>deletion sent</translation>
    </message>
    <message>
        <source>deletion held</source>
        <translation>deletion held</translation>
    </message>
    <message>
        <source>deletion pending</source>
        <translation>deletion pending</translation>
    </message>
    <message>
        <source>sent again</source>
        <translation>sent again</translation>
    </message>
    <message>
        <source>resend held</source>
        <translation>resend held</translation>
    </message>
    <message>
        <source>resend pending</source>
        <translation>resend pending</translation>
    </message>
    <message>
        <source>Dates</source>
        <translation>Dates</translation>
    </message>
    <message>
        <source>1 patient</source>
        <translation>1 patient</translation>
    </message>
    <message>
        <source>%1 patients</source>
        <translation>%1 patients</translation>
    </message>
    <message>
        <source>No patient with this ID</source>
        <translation>No patient with this ID</translation>
    </message>
    <message>
        <source>Patient of the glucose result</source>
        <translation>Patient of the glucose result</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Result</translation>
    </message>
</context>
<context>
    <name>qa::AuditDialog</name>
    <message>
        <source>Audit log</source>
        <translation>Audit log</translation>
    </message>
    <message>
        <source>Period</source>
        <translation>Period</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Patient ID</source>
        <translation>Patient ID</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Operator</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>Account</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Action</source>
        <translation>Action</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>The audit log cannot be read: %1</source>
        <translation>The audit log cannot be read: %1</translation>
    </message>
    <message>
        <source>%1 entries</source>
        <translation>Entries: %1</translation>
    </message>
    <message>
        <source>1 entry</source>
        <translation>1 entry</translation>
    </message>
</context>
<context>
    <name>qa::Cli</name>
    <message>
        <source>The data folder is on read-only media: %1
Results can be listed, printed and exported from it, but not changed.</source>
        <translation>The data folder is on read-only media: %1
Results can be listed, printed and exported from it, but not changed.</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>yes</translation>
    </message>
    <message>
        <source>Download cancelled: nothing of the transfer was stored, and the meter keeps its results.</source>
        <translation>Download cancelled: nothing of the transfer was stored, and the meter keeps its results.</translation>
    </message>
    <message>
        <source>The data folder cannot be created: </source>
        <translation>The data folder cannot be created: </translation>
    </message>
    <message>
        <source>QuorinA1c is already running on this data folder: </source>
        <translation>QuorinA1c is already running on this data folder: </translation>
    </message>
    <message>
        <source>The user file cannot be read: </source>
        <translation>The user file cannot be read: </translation>
    </message>
    <message>
        <source>The files of user %1 cannot be opened:</source>
        <translation>The files of user %1 cannot be opened:</translation>
    </message>
    <message>
        <source>The results cannot be read:
</source>
        <translation>The results cannot be read:
</translation>
    </message>
    <message>
        <source>The settings file cannot be read: </source>
        <translation>The settings file cannot be read: </translation>
    </message>
    <message>
        <source>The settings file cannot be written: </source>
        <translation>The settings file cannot be written: </translation>
    </message>
    <message>
        <source>The file cannot be written: </source>
        <translation>The file cannot be written: </translation>
    </message>
    <message>
        <source>The audit log cannot be written: </source>
        <translation>The audit log cannot be written: </translation>
    </message>
    <message>
        <source>The audit log cannot be read: </source>
        <translation>The audit log cannot be read: </translation>
    </message>
    <message>
        <source>The backup could not be written: </source>
        <translation>The backup could not be written: </translation>
    </message>
    <message>
        <source>The backup was not restored; nothing was changed: </source>
        <translation>The backup was not restored; nothing was changed: </translation>
    </message>
    <message>
        <source>--data-dir needs a folder</source>
        <translation>--data-dir needs a folder</translation>
    </message>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 needs a value</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation>unknown option %1</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>no command given</translation>
    </message>
    <message>
        <source>unknown command %1</source>
        <translation>unknown command %1</translation>
    </message>
    <message>
        <source>quorina1c-cli: unknown user %1</source>
        <translation>quorina1c-cli: unknown user %1</translation>
    </message>
    <message>
        <source>unexpected argument %1</source>
        <translation>unexpected argument %1</translation>
    </message>
    <message>
        <source>download needs --port DEVICE</source>
        <translation>download needs --port DEVICE</translation>
    </message>
    <message>
        <source>--kind is hba1c or glucose</source>
        <translation>--kind is hba1c or glucose</translation>
    </message>
    <message>
        <source>imported %1</source>
        <translation>imported %1</translation>
    </message>
    <message>
        <source>%1 needs --out FILE</source>
        <translation>%1 needs --out FILE</translation>
    </message>
    <message>
        <source>--format goes with export</source>
        <translation>--format goes with export</translation>
    </message>
    <message>
        <source>--format is csv, hl7 or fhir</source>
        <translation>--format is csv, hl7 or fhir</translation>
    </message>
    <message>
        <source>--weeks and --from/--to exclude each other</source>
        <translation>--weeks and --from/--to exclude each other</translation>
    </message>
    <message>
        <source>--from and --to go together</source>
        <translation>--from and --to go together</translation>
    </message>
    <message>
        <source>dates are written YYYYMMDD</source>
        <translation>dates are written YYYYMMDD</translation>
    </message>
    <message>
        <source>--weeks takes a number from 0 to 12</source>
        <translation>--weeks takes a number from 0 to 12</translation>
    </message>
    <message>
        <source>The file was not written: %1</source>
        <translation>The file was not written: %1</translation>
    </message>
    <message>
        <source>The report was not printed: %1</source>
        <translation>The report was not printed: %1</translation>
    </message>
    <message>
        <source>%1 does not go with patients</source>
        <translation>%1 does not go with patients</translation>
    </message>
    <message>
        <source>Patient ID	Results	Last date	Last result</source>
        <translation>Patient ID	Results	Last date	Last result</translation>
    </message>
    <message>
        <source>users needs list, add ID, delete ID, restore ID or switch ID</source>
        <translation>users needs list, add ID, delete ID, restore ID or switch ID</translation>
    </message>
    <message>
        <source>settings needs show or set KEY=VALUE...</source>
        <translation>settings needs show or set KEY=VALUE...</translation>
    </message>
    <message>
        <source>settings set needs KEY=VALUE</source>
        <translation>settings set needs KEY=VALUE</translation>
    </message>
    <message>
        <source>settings set takes KEY=VALUE, not %1</source>
        <translation>settings set takes KEY=VALUE, not %1</translation>
    </message>
    <message>
        <source>Nothing was sent: %1</source>
        <translation>Nothing was sent: %1</translation>
    </message>
    <message>
        <source>held %1: the receiver refused it (%2 %3)</source>
        <translation>held %1: the receiver refused it (%2 %3)</translation>
    </message>
    <message>
        <source>Sending stopped: %1</source>
        <translation>Sending stopped: %1</translation>
    </message>
    <message>
        <source>sent %1, pending %2</source>
        <translation>sent %1, pending %2</translation>
    </message>
    <message>
        <source>corrections: sent %1, pending %2</source>
        <translation>corrections: sent %1, pending %2</translation>
    </message>
    <message>
        <source>wrong-patient notices: sent %1, pending %2</source>
        <translation>wrong-patient notices: sent %1, pending %2</translation>
    </message>
    <message>
        <source>results sent again (new patient or put back): sent %1, pending %2</source>
        <translation>results sent again (new patient or put back): sent %1, pending %2</translation>
    </message>
    <message>
        <source>deletion notices: sent %1, pending %2</source>
        <translation>deletion notices: sent %1, pending %2</translation>
    </message>
    <message>
        <source>audit takes no argument %1</source>
        <translation>audit takes no argument %1</translation>
    </message>
    <message>
        <source>backup needs --out FILE</source>
        <translation>backup needs --out FILE</translation>
    </message>
    <message>
        <source>backup takes no argument %1</source>
        <translation>backup takes no argument %1</translation>
    </message>
    <message>
        <source>backed up %1 files to %2</source>
        <translation>backed up %1 files to %2</translation>
    </message>
    <message>
        <source>restore needs one FILE</source>
        <translation>restore needs one FILE</translation>
    </message>
    <message>
        <source>restored %1</source>
        <translation>restored %1</translation>
    </message>
    <message>
        <source>the replaced data folder is kept as %1</source>
        <translation>the replaced data folder is kept as %1</translation>
    </message>
    <message>
        <source>send needs --to mllp(s)://HOST:PORT or a FHIR base URL http(s)://HOST/PATH, or the Destination setting</source>
        <translation>send needs --to mllp(s)://HOST:PORT or a FHIR base URL http(s)://HOST/PATH, or the Destination setting</translation>
    </message>
    <message>
        <source>the destination is written mllp(s)://HOST:PORT or as a FHIR base URL http(s)://HOST/PATH, not %1</source>
        <translation>the destination is written mllp(s)://HOST:PORT or as a FHIR base URL http(s)://HOST/PATH, not %1</translation>
    </message>
    <message>
        <source>held %1: the FHIR server refused it (%2)</source>
        <translation>held %1: the FHIR server refused it (%2)</translation>
    </message>
    <message>
        <source>sending: %1 of %2</source>
        <translation>sending: %1 of %2</translation>
    </message>
    <message>
        <source>held without a patient: %1 (given a patient, they go; Send_without_patient=1 sends them as they are)</source>
        <translation>held without a patient: %1 (given a patient, they go; Send_without_patient=1 sends them as they are)</translation>
    </message>
    <message>
        <source>--ids goes with list</source>
        <translation>--ids goes with list</translation>
    </message>
    <message>
        <source>Result ID</source>
        <translation>Result ID</translation>
    </message>
    <message>
        <source>audit undelete needs the ID of the deleted result</source>
        <translation>audit undelete needs the ID of the deleted result</translation>
    </message>
    <message>
        <source>modify needs ID KEY=VALUE...</source>
        <translation>modify needs ID KEY=VALUE...</translation>
    </message>
    <message>
        <source>modify takes PID=, Name=, Birthday=, Type= or Memo=, not %1</source>
        <translation>modify takes PID=, Name=, Birthday=, Type= or Memo=, not %1</translation>
    </message>
    <message>
        <source>A glucose result has a patient ID alone to change (PID=).</source>
        <translation>A glucose result has a patient ID alone to change (PID=).</translation>
    </message>
    <message>
        <source>Birthday is a date written YYYYMMDD, not %1</source>
        <translation>Birthday is a date written YYYYMMDD, not %1</translation>
    </message>
    <message>
        <source>Type is none, type1, type2, gestational, normal (0 to 4) or empty, not %1</source>
        <translation>Type is none, type1, type2, gestational, normal (0 to 4) or empty, not %1</translation>
    </message>
    <message>
        <source>The result was not changed: %1</source>
        <translation>The result was not changed: %1</translation>
    </message>
    <message>
        <source>modified %1</source>
        <translation>modified %1</translation>
    </message>
    <message>
        <source>delete needs the result&apos;s ID</source>
        <translation>delete needs the result&apos;s ID</translation>
    </message>
    <message>
        <source>The result was not deleted: %1</source>
        <translation>The result was not deleted: %1</translation>
    </message>
    <message>
        <source>deleted %1</source>
        <translation>deleted %1</translation>
    </message>
    <message>
        <source>put back %1</source>
        <translation>put back %1</translation>
    </message>
    <message>
        <source>No deleted result with the ID %1 is remembered.</source>
        <translation>No deleted result with the ID %1 is remembered.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is the ID of several patients (%2); give the ID as it is stored</source>
        <translation>&quot;%1&quot; is the ID of several patients (%2); give the ID as it is stored</translation>
    </message>
    <message>
        <source>Name	Birth date	Records</source>
        <translation>Name	Birth date	Records</translation>
    </message>
    <message>
        <source>DISAGREE</source>
        <translation>DISAGREE</translation>
    </message>
    <message>
        <source>Nothing was changed: the audit log cannot be written: </source>
        <translation>Nothing was changed: the audit log cannot be written: </translation>
    </message>
    <message>
        <source>released %1 held without a patient: a patient was given to them</source>
        <translation>released %1 held without a patient: a patient was given to them</translation>
    </message>
</context>
<context>
    <name>qa::CsvHeader</name>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>eAG</source>
        <translation>eAG</translation>
    </message>
    <message>
        <source>Patient ID</source>
        <translation>Patient ID</translation>
    </message>
</context>
<context>
    <name>qa::DeliveryPanel</name>
    <message>
        <source>Export HL7</source>
        <translation>Export HL7</translation>
    </message>
    <message>
        <source>Export FHIR</source>
        <translation>Export FHIR</translation>
    </message>
    <message>
        <source>Interface...</source>
        <translation>Interface...</translation>
    </message>
    <message>
        <source>Laboratory interface not set up</source>
        <translation>Laboratory interface not set up</translation>
    </message>
    <message>
        <source>Pending: %1</source>
        <translation>Pending: %1</translation>
    </message>
    <message>
        <source>Sending: %1 of %2</source>
        <translation>Sending: %1 of %2</translation>
    </message>
    <message>
        <source> (held by the receiver: %1)</source>
        <translation> (held by the receiver: %1)</translation>
    </message>
    <message>
        <source> - sent %1</source>
        <translation> - sent %1</translation>
    </message>
    <message>
        <source>Row numbers: green sent, amber pending, red held by the receiver</source>
        <translation>Row numbers: green sent, amber pending, red held by the receiver</translation>
    </message>
    <message>
        <source>HL7 v2 (*.hl7)</source>
        <translation>HL7 v2 (*.hl7)</translation>
    </message>
    <message>
        <source>FHIR bundle (*.json)</source>
        <translation>FHIR bundle (*.json)</translation>
    </message>
    <message>
        <source>The file could not be written:<byte value="xd"/>
%1</source>
        <translation>The file could not be written:<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>Laboratory interface</source>
        <translation>Laboratory interface</translation>
    </message>
    <message>
        <source>Send new results after each download</source>
        <translation>Send new results after each download</translation>
    </message>
    <message>
        <source>Destination</source>
        <translation>Destination</translation>
    </message>
    <message>
        <source>Sending application</source>
        <translation>Sending application</translation>
    </message>
    <message>
        <source>Sending facility</source>
        <translation>Sending facility</translation>
    </message>
    <message>
        <source>Receiving application</source>
        <translation>Receiving application</translation>
    </message>
    <message>
        <source>Receiving facility</source>
        <translation>Receiving facility</translation>
    </message>
    <message>
        <source>The settings file could not be written.</source>
        <translation>The settings file could not be written.</translation>
    </message>
    <message>
        <source>Send pending</source>
        <translation>Send pending</translation>
    </message>
    <message>
        <source>An MLLP receiver, mllp://host:port, or a FHIR server&apos;s base URL, http(s)://host/path</source>
        <translation>An MLLP receiver, mllp://host:port, or a FHIR server&apos;s base URL, http(s)://host/path</translation>
    </message>
    <message>
        <source>Answer time-out</source>
        <translation>Answer time-out</translation>
    </message>
    <message>
        <source>The destination is written mllp://host:port, or as a FHIR server&apos;s base URL http(s)://host/path.</source>
        <translation>The destination is written mllp://host:port, or as a FHIR server&apos;s base URL http(s)://host/path.</translation>
    </message>
    <message>
        <source>Results that name no patient are not sent: open one to give it a patient</source>
        <translation>Results that name no patient are not sent: open one to give it a patient</translation>
    </message>
    <message>
        <source>No patient: %1</source>
        <translation>No patient: %1</translation>
    </message>
    <message>
        <source>Results without a patient</source>
        <translation>Results without a patient</translation>
    </message>
    <message>
        <source>These results name no patient and are not sent. Open one to give it its patient; it goes at the next send.</source>
        <translation>These results name no patient and are not sent. Open one to give it its patient; it goes at the next send.</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>Glucose</source>
        <translation>Glucose</translation>
    </message>
    <message>
        <source>Give a patient...</source>
        <translation>Give a patient...</translation>
    </message>
</context>
<context>
    <name>qa::DesktopFileService</name>
    <message>
        <source>CSV File (*.csv)</source>
        <translation>CSV File (*.csv)</translation>
    </message>
    <message>
        <source>QuorinA1c backup (*.tar)</source>
        <translation>QuorinA1c backup (*.tar)</translation>
    </message>
</context>
<context>
    <name>qa::DownloadPage</name>
    <message>
        <source>내보내기</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>delete all data of a meter</source>
        <translation>delete all data of a meter</translation>
    </message>
    <message>
        <source>데이터 다운로드 완료</source>
        <translation>Data download complete</translation>
    </message>
</context>
<context>
    <name>qa::FormPage</name>
    <message>
        <source>홈</source>
        <translation>Home</translation>
    </message>
    <message>
        <source>측정기 저장 데이터 가져오기</source>
        <translation>Get the meter&apos;s stored data</translation>
    </message>
    <message>
        <source>데이터 보기</source>
        <translation>View data</translation>
    </message>
    <message>
        <source>설정</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>현재 데이터 내보내기를 하시겠습니까?</source>
        <translation>Export the current data?</translation>
    </message>
    <message>
        <source>The file could not be written:<byte value="xd"/>
%1</source>
        <translation>The file could not be written:<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>Exporting...</source>
        <translation>Exporting...</translation>
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
        <translation>Glucose</translation>
    </message>
    <message>
        <source>데이터얻기</source>
        <translation>Get data</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>포트 검색</source>
        <translation>Search ports</translation>
    </message>
    <message>
        <source>Comm포트</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>항목</source>
        <translation>Item</translation>
    </message>
    <message>
        <source>사용자ID</source>
        <translation>User ID</translation>
    </message>
    <message>
        <source>Get data</source>
        <translation>Get data</translation>
    </message>
    <message>
        <source>No meter was recognised on any port. Connect the meter and press 포트 검색, or choose its port yourself.</source>
        <translation>No meter was recognised on any port. Connect the meter and press Search ports, or choose its port yourself.</translation>
    </message>
</context>
<context>
    <name>qa::ListHeading</name>
    <message>
        <source>No.</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>eAG</source>
        <translation>eAG</translation>
    </message>
    <message>
        <source>Patient ID</source>
        <translation>Patient ID</translation>
    </message>
    <message>
        <source>Patient name</source>
        <translation>Patient name</translation>
    </message>
    <message>
        <source>Memo</source>
        <translation>Memo</translation>
    </message>
    <message>
        <source>Delivery</source>
        <translation>Delivery</translation>
    </message>
</context>
<context>
    <name>qa::ListReport</name>
    <message>
        <source>No output file was given.</source>
        <translation>No output file was given.</translation>
    </message>
    <message>
        <source>The report could not be written to %1.</source>
        <translation>The report could not be written to %1.</translation>
    </message>
    <message>
        <source>The list has no columns to print beside the first one; no report was written.</source>
        <translation>The list has no columns to print beside the first one; no report was written.</translation>
    </message>
    <message>
        <source>QuorinA1c Self Report</source>
        <translation>QuorinA1c Self Report</translation>
    </message>
    <message>
        <source>Page %1</source>
        <translation>Page %1</translation>
    </message>
    <message>
        <source>Data Report.</source>
        <translation>Data report</translation>
    </message>
    <message>
        <source>QuorinA1c HbA1c and Glucose Data Manager</source>
        <translation>QuorinA1c HbA1c and Glucose Data Manager</translation>
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
        <translation>%1 new results stored.</translation>
    </message>
    <message>
        <source>Error. the results could not be saved.</source>
        <translation>Error: the results could not be saved.</translation>
    </message>
    <message>
        <source>Nothing was stored; the meter keeps its results.</source>
        <translation>Nothing was stored; the meter keeps its results.</translation>
    </message>
    <message>
        <source>The transfer was refused: nothing was stored, and the meter keeps its results.</source>
        <translation>The transfer was refused: nothing was stored, and the meter keeps its results.</translation>
    </message>
    <message>
        <source>QuorinA1c 관리 프로그램 v1.09</source>
        <translation>QuorinA1c Data Manager v1.09</translation>
    </message>
    <message>
        <source>Delete: delete the selected result. %1: reload the list.</source>
        <translation>Delete: delete the selected result. %1: reload the list.</translation>
    </message>
    <message>
        <source>A patient ID or name; Enter lists that patient (%1)</source>
        <translation>A patient ID or name; Enter lists that patient (%1)</translation>
    </message>
    <message>
        <source>1 new result stored.</source>
        <translation>1 new result stored.</translation>
    </message>
</context>
<context>
    <name>qa::PatientChooser</name>
    <message>
        <source>Choose the patient</source>
        <translation>Choose the patient</translation>
    </message>
    <message>
        <source>&quot;%1&quot; matches %2 patients. Choose the one whose results to list:</source>
        <translation>&quot;%1&quot; matches %2 patients. Choose the one whose results to list:</translation>
    </message>
    <message>
        <source>Only the first %1 are shown: type more of the ID or the name.</source>
        <translation>Only the first %1 are shown: type more of the ID or the name.</translation>
    </message>
    <message>
        <source>Patient ID</source>
        <translation>Patient ID</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Birth date</source>
        <translation>Birth date</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>Results</translation>
    </message>
    <message>
        <source>Newest</source>
        <translation>Newest</translation>
    </message>
    <message>
        <source>Show this patient</source>
        <translation>Show this patient</translation>
    </message>
</context>
<context>
    <name>qa::PatientPage</name>
    <message>
        <source>Patient history</source>
        <translation>Patient history</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>Memo</source>
        <translation>Memo</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>The results of this patient could not be read:</source>
        <translation>The results of this patient could not be read:</translation>
    </message>
    <message>
        <source>Patient %1</source>
        <translation>Patient %1</translation>
    </message>
    <message>
        <source>Glucose</source>
        <translation>Glucose</translation>
    </message>
    <message>
        <source>No results.</source>
        <translation>No results.</translation>
    </message>
    <message>
        <source>Results: %1, from %2 to %3</source>
        <translation>Results: %1, from %2 to %3</translation>
    </message>
    <message>
        <source>Last result: %1 on %2</source>
        <translation>Last result: %1 on %2</translation>
    </message>
    <message>
        <source>Change since the previous result: %1</source>
        <translation>Change since the previous result: %1</translation>
    </message>
    <message>
        <source>Mean of the last 12 months: %1 (n = %2)</source>
        <translation>Mean of the last 12 months: %1 (n = %2)</translation>
    </message>
    <message>
        <source>Glucose (%1)</source>
        <translation>Glucose (%1)</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>Results</translation>
    </message>
    <message>
        <source>Target range</source>
        <translation>Target range</translation>
    </message>
    <message>
        <source>Target</source>
        <translation>Target</translation>
    </message>
    <message>
        <source>The patient report could not be printed: no printer is available, or the document could not be written.</source>
        <translation>The patient report could not be printed: no printer is available, or the document could not be written.</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Birth date</source>
        <translation>Birth date</translation>
    </message>
    <message>
        <source>Print the patient report (%1)</source>
        <translation>Print the patient report (%1)</translation>
    </message>
</context>
<context>
    <name>qa::ProcessDialog</name>
    <message>
        <source>Process</source>
        <translation>Process</translation>
    </message>
    <message>
        <source>Close.</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>%1 / %2 records</source>
        <translation>%1 / %2 records</translation>
    </message>
    <message>
        <source>다운로드 취소</source>
        <translation>Download cancelled</translation>
    </message>
    <message>
        <source>Cancelled: nothing of this transfer was stored, and the meter keeps its results.</source>
        <translation>Cancelled: nothing of this transfer was stored, and the meter keeps its results.</translation>
    </message>
</context>
<context>
    <name>qa::QtPrompter</name>
    <message>
        <source>다시 시도</source>
        <translation>Retry</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>qa::SerialChannel</name>
    <message>
        <source>not a serial port</source>
        <translation>not a serial port</translation>
    </message>
    <message>
        <source>Serial ports belong to the group &quot;%1&quot;: add this user to it (sudo adduser $USER %1), then log out and in again, or install a udev rule that grants access.</source>
        <translation>Serial ports belong to the group &quot;%1&quot;: add this user to it (sudo adduser $USER %1), then log out and in again, or install a udev rule that grants access.</translation>
    </message>
    <message>
        <source>The udev rule %1 gives the user logged in at this computer access to the meter&apos;s port and to Prolific adapters: unplug the meter and plug it in again. If that does not help (another adapter, or a user not logged in at this computer), add this user to the group &quot;%2&quot; that the port belongs to (sudo adduser $USER %2), then log out and in again.</source>
        <translation>The udev rule %1 gives the user logged in at this computer access to the meter&apos;s port and to Prolific adapters: unplug the meter and plug it in again. If that does not help (another adapter, or a user not logged in at this computer), add this user to the group &quot;%2&quot; that the port belongs to (sudo adduser $USER %2), then log out and in again.</translation>
    </message>
    <message>
        <source>there is no such port; check that the meter is plugged in and switched on</source>
        <translation>there is no such port; check that the meter is plugged in and switched on</translation>
    </message>
    <message>
        <source>this user may not use the port</source>
        <translation>this user may not use the port</translation>
    </message>
    <message>
        <source>the port is in use by another program</source>
        <translation>the port is in use by another program</translation>
    </message>
    <message>
        <source>the port cannot be opened: %1</source>
        <translation>the port cannot be opened: %1</translation>
    </message>
    <message>
        <source>The connection to the meter was lost: it was unplugged or switched off.</source>
        <translation>The connection to the meter was lost: it was unplugged or switched off.</translation>
    </message>
    <message>
        <source>Writing to the meter&apos;s port failed.</source>
        <translation>Writing to the meter&apos;s port failed.</translation>
    </message>
    <message>
        <source>The meter&apos;s port reported an error.</source>
        <translation>The meter&apos;s port reported an error.</translation>
    </message>
</context>
<context>
    <name>qa::SettingsDialog</name>
    <message>
        <source>Setting information</source>
        <translation>Setting information</translation>
    </message>
    <message>
        <source>현재 사용자ID</source>
        <translation>Current user ID</translation>
    </message>
    <message>
        <source>HbA1c</source>
        <translation>HbA1c</translation>
    </message>
    <message>
        <source>Glucose</source>
        <translation>Glucose</translation>
    </message>
    <message>
        <source>날짜형식</source>
        <translation>Date format</translation>
    </message>
    <message>
        <source>시간형식</source>
        <translation>Time format</translation>
    </message>
    <message>
        <source>12 Hours</source>
        <translation>12 Hours</translation>
    </message>
    <message>
        <source>24 Hours</source>
        <translation>24 Hours</translation>
    </message>
    <message>
        <source>사용자 정보</source>
        <translation>User information</translation>
    </message>
    <message>
        <source>이름</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>병원</source>
        <translation>Hospital</translation>
    </message>
    <message>
        <source>E-mail</source>
        <translation>E-mail</translation>
    </message>
    <message>
        <source>메모</source>
        <translation>Memo</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>저장</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>닫기</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>사용자 추가</source>
        <translation>Add user</translation>
    </message>
    <message>
        <source>사용자 삭제</source>
        <translation>Delete user</translation>
    </message>
    <message>
        <source>Backup...</source>
        <translation>Backup...</translation>
    </message>
    <message>
        <source>Audit log...</source>
        <translation>Audit log...</translation>
    </message>
    <message>
        <source>%1: too long. At most %2 bytes are kept (a Hangul syllable takes 2).</source>
        <translation>%1: too long. At most %2 bytes are kept (a Hangul syllable takes 2).</translation>
    </message>
    <message>
        <source>The backup could not be written:<byte value="xd"/>
%1</source>
        <translation>The backup could not be written:<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>The backup was written:<byte value="xd"/>
%1</source>
        <translation>The backup was written:<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>Target ranges</source>
        <translation>Target ranges</translation>
    </message>
    <message>
        <source>Check folder...</source>
        <translation>Check folder...</translation>
    </message>
    <message>
        <source>The settings could not be saved.<byte value="xd"/>
%1</source>
        <translation>The settings could not be saved.<byte value="xd"/>
%1</translation>
    </message>
</context>
<context>
    <name>qa::Startup</name>
    <message>
        <source>오르보에이원씨 초기화 실패</source>
        <translation>OrvoA1c could not start</translation>
    </message>
    <message>
        <source>오르보에이원씨 관리 프로그램이 이미 실행중입니다.<byte value="xd"/>
 프로그램이 자동으로 종료 됩니다.</source>
        <translation>The OrvoA1c data manager is already running.<byte value="xd"/>
 This copy closes by itself.</translation>
    </message>
    <message>
        <source>The data folder could be read by other accounts of this computer. It and its files are now private to this account: %1</source>
        <translation>The data folder could be read by other accounts of this computer. It and its files are now private to this account: %1</translation>
    </message>
    <message>
        <source>The data folder is not writable: %1</source>
        <translation>The data folder is not writable: %1</translation>
    </message>
    <message>
        <source>The lock file could not be created: %1</source>
        <translation>The lock file could not be created: %1</translation>
    </message>
    <message>
        <source>A restore was interrupted. The data folder it replaced is kept as %1</source>
        <translation>A restore was interrupted. The data folder it replaced is kept as %1</translation>
    </message>
    <message>
        <source>Files of an operator that was never added hold results and were kept: %1</source>
        <translation>Files of an operator that was never added hold results and were kept: %1</translation>
    </message>
    <message>
        <source>The data folder %1 is missing. A restore was interrupted and the earlier data folder is kept as %2. Move it back to %1 to use it; no empty data folder was made.</source>
        <translation>The data folder %1 is missing. A restore was interrupted and the earlier data folder is kept as %2. Move it back to %1 to use it; no empty data folder was made.</translation>
    </message>
    <message>
        <source>The data folder %1 is missing. A restore was interrupted and the earlier data folder is kept as %2.

Use that copy as the data folder again?</source>
        <translation>The data folder %1 is missing. A restore was interrupted and the earlier data folder is kept as %2.

Use that copy as the data folder again?</translation>
    </message>
</context>
<context>
    <name>qa::Usage</name>
    <message>
        <source>The data folder is $APPDATA/OrvoA1c when APPDATA is set (shared with installations that keep a Windows profile folder), otherwise $XDG_DATA_HOME/OrvoA1c, normally ~/.local/share/OrvoA1c; --data-dir DIR uses DIR itself. It holds everything the program keeps: back it up to back up everything. ID stands for an operator&apos;s ID.</source>
        <translation>The data folder is $APPDATA/OrvoA1c when APPDATA is set (shared with installations that keep a Windows profile folder), otherwise $XDG_DATA_HOME/OrvoA1c, normally ~/.local/share/OrvoA1c; --data-dir DIR uses DIR itself. It holds everything the program keeps: back it up to back up everything. ID stands for an operator&apos;s ID.</translation>
    </message>
    <message>
        <source>The operators and which of them is the current one.</source>
        <translation>The operators and which of them is the current one.</translation>
    </message>
    <message>
        <source>The settings of operator ID: units, date and time formats, ranges, language and the operator&apos;s details.</source>
        <translation>The settings of operator ID: units, date and time formats, ranges, language and the operator&apos;s details.</translation>
    </message>
    <message>
        <source>The list of operator ID&apos;s tables.</source>
        <translation>The list of operator ID&apos;s tables.</translation>
    </message>
    <message>
        <source>The stored HbA1c and glucose results of operator ID (SQLite databases).</source>
        <translation>The stored HbA1c and glucose results of operator ID (SQLite databases).</translation>
    </message>
    <message>
        <source>The results of operator ID&apos;s last download of each kind.</source>
        <translation>The results of operator ID&apos;s last download of each kind.</translation>
    </message>
    <message>
        <source>The delivery state of operator ID&apos;s results sent to the laboratory system: pending, sent or held.</source>
        <translation>The delivery state of operator ID&apos;s results sent to the laboratory system: pending, sent or held.</translation>
    </message>
    <message>
        <source>The audit trail: every change to stored results, operators and settings, and every export, print, backup and restore; entries are only ever added.</source>
        <translation>The audit trail: every change to stored results, operators and settings, and every export, print, backup and restore; entries are only ever added.</translation>
    </message>
    <message>
        <source>The raw bytes of the last transfer from the meter, for support.</source>
        <translation>The raw bytes of the last transfer from the meter, for support.</translation>
    </message>
    <message>
        <source>Held while a program works on the folder, so that a second one does not; a lock left behind by a program that died is taken over.</source>
        <translation>Held while a program works on the folder, so that a second one does not; a lock left behind by a program that died is taken over.</translation>
    </message>
    <message>
        <source>When set, the data folder is $APPDATA/OrvoA1c.</source>
        <translation>When set, the data folder is $APPDATA/OrvoA1c.</translation>
    </message>
    <message>
        <source>Otherwise the data folder is $XDG_DATA_HOME/OrvoA1c; ~/.local/share when the variable is not set.</source>
        <translation>Otherwise the data folder is $XDG_DATA_HOME/OrvoA1c; ~/.local/share when the variable is not set.</translation>
    </message>
    <message>
        <source>SERIAL PORT ACCESS</source>
        <translation>SERIAL PORT ACCESS</translation>
    </message>
    <message>
        <source>The meter appears as a USB serial port: /dev/ttyACM* for its own virtual COM port (USB id 0483:5740), /dev/ttyUSB* behind a Prolific USB serial adapter (067b:2303).</source>
        <translation>The meter appears as a USB serial port: /dev/ttyACM* for its own virtual COM port (USB id 0483:5740), /dev/ttyUSB* behind a Prolific USB serial adapter (067b:2303).</translation>
    </message>
    <message>
        <source>The udev rule %1 gives the user logged in at the computer access to these two kinds of port and keeps ModemManager from probing them. After installing it, plug the meter in again (or run sudo udevadm trigger) so that it applies.</source>
        <translation>The udev rule %1 gives the user logged in at the computer access to these two kinds of port and keeps ModemManager from probing them. After installing it, plug the meter in again (or run sudo udevadm trigger) so that it applies.</translation>
    </message>
    <message>
        <source>Without the rule, for other adapters and for users logged in remotely, serial ports belong to the group dialout: add the user to it (sudo adduser $USER dialout), then log out and in again.</source>
        <translation>Without the rule, for other adapters and for users logged in remotely, serial ports belong to the group dialout: add the user to it (sudo adduser $USER dialout), then log out and in again.</translation>
    </message>
    <message>
        <source>Use DIR itself as the data folder, created when missing, instead of the default folder.</source>
        <translation>Use DIR itself as the data folder, created when missing, instead of the default folder.</translation>
    </message>
    <message>
        <source>Print this help and exit.</source>
        <translation>Print this help and exit.</translation>
    </message>
    <message>
        <source>Print the version and exit.</source>
        <translation>Print the version and exit.</translation>
    </message>
    <message>
        <source>download and manage the results of the HbA1c and glucose meter without a window</source>
        <translation>download and manage the results of the HbA1c and glucose meter without a window</translation>
    </message>
    <message>
        <source>quorina1c-cli downloads the results of the point-of-care HbA1c and blood-glucose meter and lists, exports, prints and manages the results, operators and settings kept in the data folder. It runs the store and download code of quorina1c without a window, for scripts, support and tests.</source>
        <translation>quorina1c-cli downloads the results of the point-of-care HbA1c and blood-glucose meter and lists, exports, prints and manages the results, operators and settings kept in the data folder. It runs the store and download code of quorina1c without a window, for scripts, support and tests.</translation>
    </message>
    <message>
        <source>Every command works on the current operator&apos;s files unless --user names another operator. Commands that change files take the data folder&apos;s lock first, so they refuse to run while the window or another command works on the same folder.</source>
        <translation>Every command works on the current operator&apos;s files unless --user names another operator. Commands that change files take the data folder&apos;s lock first, so they refuse to run while the window or another command works on the same folder.</translation>
    </message>
    <message>
        <source>Questions that the window would ask are answered yes: the command itself is the operator&apos;s decision. Messages go to standard error.</source>
        <translation>Questions that the window would ask are answered yes: the command itself is the operator&apos;s decision. Messages go to standard error.</translation>
    </message>
    <message>
        <source>The program speaks the language of the operator it works for (the lang setting: Korean or English), also in this help and its error messages; with --user, that operator&apos;s language. Korean until an operator chooses English.</source>
        <translation>The program speaks the language of the operator it works for (the lang setting: Korean or English), also in this help and its error messages; with --user, that operator&apos;s language. Korean until an operator chooses English.</translation>
    </message>
    <message>
        <source>Fetches the stored results of one kind from the meter on the serial port DEVICE and stores the new ones; results already stored are skipped. The progress texts go to standard error and the number of new results (&quot;imported N&quot;) to standard output. The meter&apos;s records are erased only with --erase, and only once they are stored. SIGINT or SIGTERM stops a download within a second; nothing of the partial transfer is stored and the exit status is 1.</source>
        <translation>Fetches the stored results of one kind from the meter on the serial port DEVICE and stores the new ones; results already stored are skipped. The progress texts go to standard error and the number of new results (&quot;imported N&quot;) to standard output. The meter&apos;s records are erased only with --erase, and only once they are stored. SIGINT or SIGTERM stops a download within a second; nothing of the partial transfer is stored and the exit status is 1.</translation>
    </message>
    <message>
        <source>Prints the stored results on standard output in UTF-8, newest first: the header and rows that export writes, formatted by the operator&apos;s settings.</source>
        <translation>Prints the stored results on standard output in UTF-8, newest first: the header and rows that export writes, formatted by the operator&apos;s settings.</translation>
    </message>
    <message>
        <source>Writes the same list to FILE: as a CSV file for spreadsheet programs, as the window&apos;s export button does (code page 949 for a Korean operator, UTF-8 with a byte-order mark for an English one), or with --format hl7 as a batch of HL7 v2 ORU^R01 messages, or with --format fhir as a FHIR R4 bundle.</source>
        <translation>Writes the same list to FILE: as a CSV file for spreadsheet programs, as the window&apos;s export button does (code page 949 for a Korean operator, UTF-8 with a byte-order mark for an English one), or with --format hl7 as a batch of HL7 v2 ORU^R01 messages, or with --format fhir as a FHIR R4 bundle.</translation>
    </message>
    <message>
        <source>Prints the data report of the same list to FILE as PDF, through the print code of the window&apos;s print button. With --patient it prints the patient report instead: the patient&apos;s HbA1c and glucose results of the period with their summary and charts, as the patient page prints it. It needs no display.</source>
        <translation>Prints the data report of the same list to FILE as PDF, through the print code of the window&apos;s print button. With --patient it prints the patient report instead: the patient&apos;s HbA1c and glucose results of the period with their summary and charts, as the patient page prints it. It needs no display.</translation>
    </message>
    <message>
        <source>list prints the operators, the current one marked with *; add creates an operator; delete takes an operator off the list and moves all of their files into the data folder&apos;s deleted_users folder, after which the first remaining operator is the current one (the last operator cannot be deleted); restore brings a deleted operator&apos;s files back and lists them again; switch makes ID the current operator.</source>
        <translation>list prints the operators, the current one marked with *; add creates an operator; delete takes an operator off the list and moves all of their files into the data folder&apos;s deleted_users folder, after which the first remaining operator is the current one (the last operator cannot be deleted); restore brings a deleted operator&apos;s files back and lists them again; switch makes ID the current operator.</translation>
    </message>
    <message>
        <source>show prints the current operator&apos;s settings as KEY=VALUE lines; set changes one or more of them (keys in any case) and writes the settings file once. The keys are those of the settings file:</source>
        <translation>show prints the current operator&apos;s settings as KEY=VALUE lines; set changes one or more of them (keys in any case) and writes the settings file once. The keys are those of the settings file:</translation>
    </message>
    <message>
        <source>0 percent, 1 mmol/mol.</source>
        <translation>0 percent, 1 mmol/mol.</translation>
    </message>
    <message>
        <source>0 mg/dL, 1 mmol/L.</source>
        <translation>0 mg/dL, 1 mmol/L.</translation>
    </message>
    <message>
        <source>0 year-month-day, 1 month-day-year, 2 day-month-year.</source>
        <translation>0 year-month-day, 1 month-day-year, 2 day-month-year.</translation>
    </message>
    <message>
        <source>0 12-hour with AM/PM, 1 24-hour.</source>
        <translation>0 12-hour with AM/PM, 1 24-hour.</translation>
    </message>
    <message>
        <source>the upper and lower limits of the HbA1c range, in percent (6.7 and 4.5 at first).</source>
        <translation>the upper and lower limits of the HbA1c range, in percent (6.7 and 4.5 at first).</translation>
    </message>
    <message>
        <source>the upper and lower limits of the glucose range, in mg/dL (160 and 80 at first).</source>
        <translation>the upper and lower limits of the glucose range, in mg/dL (160 and 80 at first).</translation>
    </message>
    <message>
        <source>the language of the window and the command line: 0 Korean, 1 English.</source>
        <translation>the language of the window and the command line: 0 Korean, 1 English.</translation>
    </message>
    <message>
        <source>the operator&apos;s details.</source>
        <translation>the operator&apos;s details.</translation>
    </message>
    <message>
        <source>the operator&apos;s memo.</source>
        <translation>the operator&apos;s memo.</translation>
    </message>
    <message>
        <source>sending results to the laboratory system: 0 off, 1 on.</source>
        <translation>sending results to the laboratory system: 0 off, 1 on.</translation>
    </message>
    <message>
        <source>the names the HL7 messages carry.</source>
        <translation>the names the HL7 messages carry.</translation>
    </message>
    <message>
        <source>Prints the data folder&apos;s audit trail, oldest first: every modify, delete, import, operator added or deleted, settings change, export, print, backup and restore, with the operator, the time and the program version. --patient keeps the entries of one patient ID, --from and --to those of a span of days. undelete ID puts back the deleted result whose ID its delete entry names, under the same ID, and records that too.</source>
        <translation>Prints the data folder&apos;s audit trail, oldest first: every modify, delete, import, operator added or deleted, settings change, export, print, backup and restore, with the operator, the time and the program version. --patient keeps the entries of one patient ID, --from and --to those of a span of days. undelete ID puts back the deleted result whose ID its delete entry names, under the same ID, and records that too.</translation>
    </message>
    <message>
        <source>Writes a consistent snapshot of the data folder into one archive FILE (a tar file with a manifest of SHA-256 checksums), also while the window runs.</source>
        <translation>Writes a consistent snapshot of the data folder into one archive FILE (a tar file with a manifest of SHA-256 checksums), also while the window runs.</translation>
    </message>
    <message>
        <source>Checks the archive FILE whole (manifest, checksums, every database) before it replaces anything, then puts it in place of the data folder; the replaced folder is kept beside it, renamed with the time of the restore. The window must be closed.</source>
        <translation>Checks the archive FILE whole (manifest, checksums, every database) before it replaces anything, then puts it in place of the data folder; the replaced folder is kept beside it, renamed with the time of the restore. The window must be closed.</translation>
    </message>
    <message>
        <source>The meter&apos;s serial port: a device path such as /dev/ttyACM0, or a name under /dev such as ttyUSB0.</source>
        <translation>The meter&apos;s serial port: a device path such as /dev/ttyACM0, or a name under /dev such as ttyUSB0.</translation>
    </message>
    <message>
        <source>The result kind: hba1c (the default) or glucose.</source>
        <translation>The result kind: hba1c (the default) or glucose.</translation>
    </message>
    <message>
        <source>Work on the files of the existing operator ID without changing the current operator.</source>
        <translation>Work on the files of the existing operator ID without changing the current operator.</translation>
    </message>
    <message>
        <source>Only the results of the N weeks up to the newest stored date, as the period choice of the window&apos;s list; N is 0 to 12, and 0 keeps everything.</source>
        <translation>Only the results of the N weeks up to the newest stored date, as the period choice of the window&apos;s list; N is 0 to 12, and 0 keeps everything.</translation>
    </message>
    <message>
        <source>Together with --to: only the results from DATE to the --to date, as the search of the window&apos;s list. Dates are written YYYYMMDD and lie at most 366 days apart.</source>
        <translation>Together with --to: only the results from DATE to the --to date, as the search of the window&apos;s list. Dates are written YYYYMMDD and lie at most 366 days apart.</translation>
    </message>
    <message>
        <source>The file that export or report writes.</source>
        <translation>The file that export or report writes.</translation>
    </message>
    <message>
        <source>What export writes: csv (the default), hl7 or fhir.</source>
        <translation>What export writes: csv (the default), hl7 or fhir.</translation>
    </message>
    <message>
        <source>Only the results of this patient ID, exactly as stored (list, export, report), or with audit only the entries of this patient ID.</source>
        <translation>Only the results of this patient ID, exactly as stored (list, export, report), or with audit only the entries of this patient ID.</translation>
    </message>
    <message>
        <source>Let download erase the meter&apos;s records once they are stored.</source>
        <translation>Let download erase the meter&apos;s records once they are stored.</translation>
    </message>
    <message>
        <source>Let send try the results the receiver refused once more.</source>
        <translation>Let send try the results the receiver refused once more.</translation>
    </message>
    <message>
        <source>Success, also when the meter holds no data or no new data.</source>
        <translation>Success, also when the meter holds no data or no new data.</translation>
    </message>
    <message>
        <source>The operation failed; the program&apos;s own message is on standard error.</source>
        <translation>The operation failed; the program&apos;s own message is on standard error.</translation>
    </message>
    <message>
        <source>Bad usage: an unknown command or option, a missing or malformed value, or an unknown operator.</source>
        <translation>Bad usage: an unknown command or option, a missing or malformed value, or an unknown operator.</translation>
    </message>
    <message>
        <source>Fetch the glucose results from the meter on /dev/ttyACM0, then export those of the last four weeks:</source>
        <translation>Fetch the glucose results from the meter on /dev/ttyACM0, then export those of the last four weeks:</translation>
    </message>
    <message>
        <source>Show HbA1c in mmol/mol and glucose in mmol/L from now on:</source>
        <translation>Show HbA1c in mmol/mol and glucose in mmol/L from now on:</translation>
    </message>
    <message>
        <source>desktop data manager of a point-of-care HbA1c and blood-glucose meter</source>
        <translation>desktop data manager of a point-of-care HbA1c and blood-glucose meter</translation>
    </message>
    <message>
        <source>quorina1c is the desktop data manager of a point-of-care HbA1c and blood-glucose meter, for clinic staff. The operator plugs the meter in by USB; the program finds its serial port, downloads the stored results, checks every record and stores the new ones in the operator&apos;s own files. The operator then lists, filters, edits, deletes, prints and exports the results in the units and formats of their own settings.</source>
        <translation>quorina1c is the desktop data manager of a point-of-care HbA1c and blood-glucose meter, for clinic staff. The operator plugs the meter in by USB; the program finds its serial port, downloads the stored results, checks every record and stores the new ones in the operator&apos;s own files. The operator then lists, filters, edits, deletes, prints and exports the results in the units and formats of their own settings.</translation>
    </message>
    <message>
        <source>Only one copy of the program works on a data folder at a time: a second copy says so and closes by itself after five seconds.</source>
        <translation>Only one copy of the program works on a data folder at a time: a second copy says so and closes by itself after five seconds.</translation>
    </message>
    <message>
        <source>The program also takes the standard options of Qt applications, such as -platform and -style. quorina1c-cli does the same work without a window.</source>
        <translation>The program also takes the standard options of Qt applications, such as -platform and -style. quorina1c-cli does the same work without a window.</translation>
    </message>
    <message>
        <source>List DEVICE first among the serial ports and take it as the meter&apos;s port, for a meter behind a port that the search does not recognise (and for a simulated meter).</source>
        <translation>List DEVICE first among the serial ports and take it as the meter&apos;s port, for a meter behind a port that the search does not recognise (and for a simulated meter).</translation>
    </message>
    <message>
        <source>Read the serial ports below ROOT instead of /sys (for tests).</source>
        <translation>Read the serial ports below ROOT instead of /sys (for tests).</translation>
    </message>
    <message>
        <source>The window was closed, or another copy already works on the data folder.</source>
        <translation>The window was closed, or another copy already works on the data folder.</translation>
    </message>
    <message>
        <source>The data folder could not be created or locked, or an option was not understood.</source>
        <translation>The data folder could not be created or locked, or an option was not understood.</translation>
    </message>
    <message>
        <source>The column layouts of the lists are kept in $XDG_CONFIG_HOME/Local AppWizard-Generated Applications/QuorinA1cComm.ini; ~/.config when the variable is not set.</source>
        <translation>The column layouts of the lists are kept in $XDG_CONFIG_HOME/Local AppWizard-Generated Applications/QuorinA1cComm.ini; ~/.config when the variable is not set.</translation>
    </message>
    <message>
        <source>usage:</source>
        <translation>usage:</translation>
    </message>
    <message>
        <source>Commands:</source>
        <translation>Commands:</translation>
    </message>
    <message>
        <source>Options:</source>
        <translation>Options:</translation>
    </message>
    <message>
        <source>Exit status:</source>
        <translation>Exit status:</translation>
    </message>
    <message>
        <source>Data folder:</source>
        <translation>Data folder:</translation>
    </message>
    <message>
        <source>Run %1 --help for the options.</source>
        <translation>Run %1 --help for the options.</translation>
    </message>
    <message>
        <source>NAME</source>
        <translation>NAME</translation>
    </message>
    <message>
        <source>SYNOPSIS</source>
        <translation>SYNOPSIS</translation>
    </message>
    <message>
        <source>DESCRIPTION</source>
        <translation>DESCRIPTION</translation>
    </message>
    <message>
        <source>COMMANDS</source>
        <translation>COMMANDS</translation>
    </message>
    <message>
        <source>OPTIONS</source>
        <translation>OPTIONS</translation>
    </message>
    <message>
        <source>EXIT STATUS</source>
        <translation>EXIT STATUS</translation>
    </message>
    <message>
        <source>FILES</source>
        <translation>FILES</translation>
    </message>
    <message>
        <source>ENVIRONMENT</source>
        <translation>ENVIRONMENT</translation>
    </message>
    <message>
        <source>EXAMPLES</source>
        <translation>EXAMPLES</translation>
    </message>
    <message>
        <source>SEE ALSO</source>
        <translation>SEE ALSO</translation>
    </message>
    <message>
        <source>User Commands</source>
        <translation>User Commands</translation>
    </message>
    <message>
        <source>where send delivers them, mllp://HOST:PORT or a FHIR base URL http(s)://HOST/PATH.</source>
        <translation>where send delivers them, mllp://HOST:PORT or a FHIR base URL http(s)://HOST/PATH.</translation>
    </message>
    <message>
        <source>seconds to wait for the receiver&apos;s answer to a message or Bundle.</source>
        <translation>seconds to wait for the receiver&apos;s answer to a message or Bundle.</translation>
    </message>
    <message>
        <source>PID-3.4: an OID, or a namespace; empty for the installation&apos;s own OID.</source>
        <translation>PID-3.4: an OID, or a namespace; empty for the installation&apos;s own OID.</translation>
    </message>
    <message>
        <source>the FHIR identifier systems (URIs) of patients and results; empty for the installation&apos;s own.</source>
        <translation>the FHIR identifier systems (URIs) of patients and results; empty for the installation&apos;s own.</translation>
    </message>
    <message>
        <source>1 sends results without a patient; 0 holds them (the default).</source>
        <translation>1 sends results without a patient; 0 holds them (the default).</translation>
    </message>
    <message>
        <source>the unit sent, whatever is shown: 0 % or mg/dL, 1 mmol/mol or mmol/L.</source>
        <translation>the unit sent, whatever is shown: 0 % or mg/dL, 1 mmol/mol or mmol/L.</translation>
    </message>
    <message>
        <source>results per FHIR Bundle (1 to 1000, 100 by default).</source>
        <translation>results per FHIR Bundle (1 to 1000, 100 by default).</translation>
    </message>
    <message>
        <source>PEM files for https: the site&apos;s CA, the program&apos;s certificate and its key.</source>
        <translation>PEM files for https: the site&apos;s CA, the program&apos;s certificate and its key.</translation>
    </message>
    <message>
        <source>the FHIR server&apos;s access token; never shown.</source>
        <translation>the FHIR server&apos;s access token; never shown.</translation>
    </message>
    <message>
        <source>Queues every stored result that has not been queued yet and sends the pending ones to the laboratory system: over MLLP one message at a time, or to a FHIR server&apos;s base URL as transaction Bundles of up to 100 results; a result counts as sent only once the receiver has acknowledged it. Prints &quot;sent N, pending M&quot; and exits 1 while anything is left undelivered, and a line for each kind of correction when there are any. A sent result edited since goes again as a correction, under a new patient ID after a wrong-patient notice, and a deleted one as a deletion notice. Results the receiver refused stay held until --retry-held.</source>
        <translation>Queues every stored result that has not been queued yet and sends the pending ones to the laboratory system: over MLLP one message at a time, or to a FHIR server&apos;s base URL as transaction Bundles of up to 100 results; a result counts as sent only once the receiver has acknowledged it. Prints &quot;sent N, pending M&quot; and exits 1 while anything is left undelivered, and a line for each kind of correction when there are any. A sent result edited since goes again as a correction, under a new patient ID after a wrong-patient notice, and a deleted one as a deletion notice. Results the receiver refused stay held until --retry-held.</translation>
    </message>
    <message>
        <source>The last date of a --from search. With send, the destination mllp://HOST:PORT or a FHIR base URL http(s)://HOST/PATH, instead of the Destination setting.</source>
        <translation>The last date of a --from search. With send, the destination mllp://HOST:PORT or a FHIR base URL http(s)://HOST/PATH, instead of the Destination setting.</translation>
    </message>
    <message>
        <source>Changes the patient details of the result ID (the first column of list --ids) as the window&apos;s Data Modify dialog does, with its checks, and records the change in the audit trail; a glucose result takes PID alone. A changed patient ID is remembered, so a later download does not store the meter&apos;s original again. The keys, in any case:</source>
        <translation>Changes the patient details of the result ID (the first column of list --ids) as the window&apos;s Data Modify dialog does, with its checks, and records the change in the audit trail; a glucose result takes PID alone. A changed patient ID is remembered, so a later download does not store the meter&apos;s original again. The keys, in any case:</translation>
    </message>
    <message>
        <source>the patient ID, at most 15 bytes.</source>
        <translation>the patient ID, at most 15 bytes.</translation>
    </message>
    <message>
        <source>the patient&apos;s name, at most 15 bytes.</source>
        <translation>the patient&apos;s name, at most 15 bytes.</translation>
    </message>
    <message>
        <source>the birth date, YYYYMMDD.</source>
        <translation>the birth date, YYYYMMDD.</translation>
    </message>
    <message>
        <source>the diabetes type: none, type1, type2, gestational or normal (0 to 4), or empty for none chosen.</source>
        <translation>the diabetes type: none, type1, type2, gestational or normal (0 to 4), or empty for none chosen.</translation>
    </message>
    <message>
        <source>the remark, at most 99 bytes.</source>
        <translation>the remark, at most 99 bytes.</translation>
    </message>
    <message>
        <source>Deletes the result ID of either kind as the window&apos;s list does, and records it in the audit trail. The deletion is remembered: a later download skips the result while the meter still holds it, and audit undelete ID puts it back.</source>
        <translation>Deletes the result ID of either kind as the window&apos;s list does, and records it in the audit trail. The deletion is remembered: a later download skips the result while the meter still holds it, and audit undelete ID puts it back.</translation>
    </message>
    <message>
        <source>Let list put each result&apos;s ID first, as modify and delete take it.</source>
        <translation>Let list put each result&apos;s ID first, as modify and delete take it.</translation>
    </message>
    <message>
        <source>Prints one line per patient ID among the stored results of one kind, in the order of the IDs: the ID, the number of results, the date of the newest result and that result, formatted by the operator&apos;s settings, then every name and birth date the records carry, and DISAGREE where they differ, separated by tabs. --patient takes a whole ID, ignoring case and surrounding blanks.</source>
        <translation>Prints one line per patient ID among the stored results of one kind, in the order of the IDs: the ID, the number of results, the date of the newest result and that result, formatted by the operator&apos;s settings, then every name and birth date the records carry, and DISAGREE where they differ, separated by tabs. --patient takes a whole ID, ignoring case and surrounding blanks.</translation>
    </message>
    <message>
        <source>Reads the data folder (or DIR) without changing it and reports file by file: whether each database is intact, which encoding the texts are in, columns and indexes a later version adds, operators&apos; files no listed operator owns, leftovers of interrupted operations, and permissions that are not owner-only. Exits 1 when it found something.</source>
        <translation>Reads the data folder (or DIR) without changing it and reports file by file: whether each database is intact, which encoding the texts are in, columns and indexes a later version adds, operators&apos; files no listed operator owns, leftovers of interrupted operations, and permissions that are not owner-only. Exits 1 when it found something.</translation>
    </message>
</context>
<context>
    <name>qa::WaitingPage</name>
    <message>
        <source>Waiting....................</source>
        <translation>Waiting...</translation>
    </message>
</context>
<context>
    <name>qa::views::RecordDialog</name>
    <message>
        <source>Data Modify</source>
        <translation>Data Modify</translation>
    </message>
    <message>
        <source>Data View</source>
        <translation>Data View</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>Date / Time:</source>
        <translation>Date / Time:</translation>
    </message>
    <message>
        <source>OPID :</source>
        <translation>Operator ID:</translation>
    </message>
    <message>
        <source>Result :</source>
        <translation>Result:</translation>
    </message>
    <message>
        <source>Patient Name :</source>
        <translation>Patient name:</translation>
    </message>
    <message>
        <source>PID :</source>
        <translation>Patient ID:</translation>
    </message>
    <message>
        <source>Type :</source>
        <translation>Type:</translation>
    </message>
    <message>
        <source>Birthday :</source>
        <translation>Date of birth:</translation>
    </message>
    <message>
        <source>Remark :</source>
        <translation>Remark:</translation>
    </message>
    <message>
        <source>None</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Type  I</source>
        <translation>Type  I</translation>
    </message>
    <message>
        <source>Type II</source>
        <translation>Type II</translation>
    </message>
    <message>
        <source>Gestational</source>
        <translation>Gestational</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
</context>
<context>
    <name>qa::views::RecordModifyDialog</name>
    <message>
        <source>&amp;Change</source>
        <translation>&amp;Change</translation>
    </message>
    <message>
        <source>데이터 변경하시겠습니까?</source>
        <translation>Change the data?</translation>
    </message>
</context>
</TS>
