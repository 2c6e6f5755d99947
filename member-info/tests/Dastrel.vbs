' A late-bound client of Dastrel.GetDBInfo, run with cscript by
' DastrelWineTest.py against the fake member database server.
Option Explicit
Dim o, failures
failures = 0

Sub Check(name, got, want)
  If got <> want Then
    WScript.Echo "FAIL " & name & ": got [" & got & "] want [" & want & "]"
    failures = failures + 1
  End If
End Sub

Set o = CreateObject("Dastrel.GetDBInfo")
Check "CheckPassword right", o.CheckPassword("teska01", "pass01"), 0
Check "CheckPassword wrong", o.CheckPassword("teska01", "nope"), 1
Check "CheckPassword unknown", o.CheckPassword("nobody", "pass01"), 2
Check "SearchInfo", o.SearchInfo("TESKA01-COOKIE"), 0
' Wine's VBScript has no ChrW to spell Hangul with: the script prints the
' field, and DastrelWineTest.py reads it in code page 949.
WScript.Echo "HOBBY=" & o.GetHobby()
Check "GetID twice", o.GetID() & "/" & o.GetID(), "teska01/teska01"
Check "GetCookie", o.GetCookie(), "TESKA01-COOKIE"
Set o = Nothing

If failures = 0 Then WScript.Echo "OK"
WScript.Quit failures
