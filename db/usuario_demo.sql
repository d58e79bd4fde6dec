/* Demonstration content for the user database. */

INSERT INTO EMPRESA (CODEMPRESA, NOME, TEMPOLIMITELOGOUT) VALUES (1, 'Cartório do 1º Ofício de Registro', 60);
INSERT INTO USUARIO (CODUSUARIO, LOGIN, NOME) VALUES (1, 'ADMIN', 'Administrador');

COMMIT;
