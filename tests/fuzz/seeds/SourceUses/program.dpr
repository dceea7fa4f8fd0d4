program P;

uses
  Forms,
  Main in 'src\Main.pas' {FormMain};

{$R *.res}

begin
end.
