<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
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
        <source>%1 이 연결되었습니다.<byte value="xd"/>
오르보에이원씨의 HbA1c 결과를 받겠습니까?</source>
        <translation>%1 is connected.<byte value="xd"/>
Receive the HbA1c results of the OrvoA1c?</translation>
    </message>
    <message>
        <source>%1 이 연결되었습니다.<byte value="xd"/>
오르보에이원씨의 혈당 결과를 받겠습니까?</source>
        <translation>%1 is connected.<byte value="xd"/>
Receive the glucose results of the OrvoA1c?</translation>
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
        <translation>Waiting....</translation>
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
        <translation>Error count : %1</translation>
    </message>
    <message>
        <source>Error. cyclic redundancy check : Fail.</source>
        <translation>Error. cyclic redundancy check : Fail.</translation>
    </message>
    <message>
        <source>Error. the received results are not of the selected kind.</source>
        <translation>Error. the received results are not of the selected kind.</translation>
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
        <translation>Error. the results could not be saved : %1.</translation>
    </message>
    <message>
        <source>Error. the results could not be saved : %1. The meter&apos;s results were not erased.</source>
        <translation>Error. the results could not be saved : %1. The meter&apos;s results were not erased.</translation>
    </message>
    <message>
        <source>새로운 사용자를 추가하시겠습니까?</source>
        <translation>Add a new user?</translation>
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
        <translation>Patient Report.</translation>
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
        <translation>PID</translation>
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
        <source>Modifly Data</source>
        <translation>Modifly Data</translation>
    </message>
    <message>
        <source>Access the data</source>
        <translation>Access the data</translation>
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
</context>
<context>
    <name>qa::Cli</name>
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
        <source>quorina1c-cli: unknown user </source>
        <translation>quorina1c-cli: unknown user </translation>
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
        <source>The settings file cannot be written.
</source>
        <translation>The settings file cannot be written.
</translation>
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
        <source>The delivery file cannot be written: </source>
        <translation>The delivery file cannot be written: </translation>
    </message>
    <message>
        <source>The stored results cannot be read: </source>
        <translation>The stored results cannot be read: </translation>
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
        <source>Acknowledgement time-out</source>
        <translation>Acknowledgement time-out</translation>
    </message>
    <message>
        <source>The destination is written mllp://host:port.</source>
        <translation>The destination is written mllp://host:port.</translation>
    </message>
    <message>
        <source>The settings file could not be written.</source>
        <translation>The settings file could not be written.</translation>
    </message>
    <message>
        <source>Send pending</source>
        <translation>Send pending</translation>
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
        <translation>Comm port</translation>
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
        <translation>Data Report.</translation>
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
        <translation>Error. the results could not be saved.</translation>
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
        <source>오르보에이원씨 관리 프로그램 v1.09</source>
        <translation>OrvoA1c Data Manager v1.09</translation>
    </message>
    <message>
        <source>Search from this date (%1)</source>
        <translation>Search from this date (%1)</translation>
    </message>
    <message>
        <source>Delete: delete the selected result. %1: reload the list.</source>
        <translation>Delete: delete the selected result. %1: reload the list.</translation>
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
</context>
<context>
    <name>qa::ProcessDialog</name>
    <message>
        <source>Process</source>
        <translation>Process</translation>
    </message>
    <message>
        <source>Close.</source>
        <translation>Close.</translation>
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
        <source>%1: too long. At most %2 bytes are kept (a Hangul syllable takes 3).</source>
        <translation>%1: too long. At most %2 bytes are kept (a Hangul syllable takes 3).</translation>
    </message>
    <message>
        <source>The settings could not be saved.</source>
        <translation>The settings could not be saved.</translation>
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
</context>
<context>
    <name>qa::WaitingPage</name>
    <message>
        <source>Waiting....................</source>
        <translation>Waiting....................</translation>
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
        <translation>OPID :</translation>
    </message>
    <message>
        <source>Result :</source>
        <translation>Result :</translation>
    </message>
    <message>
        <source>Patient Name :</source>
        <translation>Patient Name :</translation>
    </message>
    <message>
        <source>PID :</source>
        <translation>PID :</translation>
    </message>
    <message>
        <source>Type :</source>
        <translation>Type :</translation>
    </message>
    <message>
        <source>Birthday :</source>
        <translation>Birthday :</translation>
    </message>
    <message>
        <source>Remark :</source>
        <translation>Remark :</translation>
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
