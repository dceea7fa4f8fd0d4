program SampleApp;

uses
  Vcl.Forms,
  Main in 'src\Main.pas' {FormMain},
  About in 'src\About.pas' {FormAbout},
  Data.Helpers in 'src\Data.Helpers.pas';

{$R *.res}

begin
  Application.Initialize;
  Application.MainFormOnTaskbar := True;
  Application.CreateForm(TFormMain, FormMain);
  Application.Run;
end.
