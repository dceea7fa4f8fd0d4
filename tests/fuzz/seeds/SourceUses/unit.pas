unit U;
{$DEFINE A}
interface
uses
  System.SysUtils, { c } Classes (* c *), // c
  {$IFDEF A} X, {$ELSE} Y, {$ENDIF}
  {$IF Defined(B) or not Defined(A)} Z, {$IFEND} {$I u.inc}
  W;
implementation
uses Q;
end.
